#pragma once

#include <memory>

#include "cosmic-toplevel-info-unstable-v1-client-protocol.h"
#include "ext-foreign-toplevel-list-v1-client-protocol.h"

namespace dorvane {

// The list's destructor request: sent once the compositor has finished it, or with the client's
// end, after every toplevel handle made from it.
struct ExtToplevelListDestroy {
    void operator()(ext_foreign_toplevel_list_v1* list) const {
        ext_foreign_toplevel_list_v1_destroy(list);
    }
};

using ExtToplevelListPtr = std::unique_ptr<ext_foreign_toplevel_list_v1, ExtToplevelListDestroy>;

// Tells the compositor the toplevel is forgotten, and frees the proxy; its COSMIC handle must go
// first.
struct ExtToplevelHandleDestroy {
    void operator()(ext_foreign_toplevel_handle_v1* handle) const {
        ext_foreign_toplevel_handle_v1_destroy(handle);
    }
};

using ExtToplevelHandlePtr =
    std::unique_ptr<ext_foreign_toplevel_handle_v1, ExtToplevelHandleDestroy>;

// The info object has no destructor request: from version 2 on, stop is ignored and the proxy
// goes locally.
struct CosmicToplevelInfoDestroy {
    void operator()(zcosmic_toplevel_info_v1* info) const {
        zcosmic_toplevel_info_v1_destroy(info);
    }
};

using CosmicToplevelInfoPtr = std::unique_ptr<zcosmic_toplevel_info_v1, CosmicToplevelInfoDestroy>;

struct CosmicToplevelHandleDestroy {
    void operator()(zcosmic_toplevel_handle_v1* handle) const {
        zcosmic_toplevel_handle_v1_destroy(handle);
    }
};

using CosmicToplevelHandlePtr =
    std::unique_ptr<zcosmic_toplevel_handle_v1, CosmicToplevelHandleDestroy>;

}  // namespace dorvane
