#pragma once

#include <memory>

#include "platform/linux/workspace/WaylandHandles.hpp"
#include "wlr-foreign-toplevel-management-unstable-v1-client-protocol.h"

namespace dorvane {

// The manager has no destructor request in the protocol's version 3: the proxy goes locally.
struct WlrToplevelManagerDestroy {
    void operator()(zwlr_foreign_toplevel_manager_v1* manager) const {
        zwlr_foreign_toplevel_manager_v1_destroy(manager);
    }
};

using WlrToplevelManagerPtr =
    std::unique_ptr<zwlr_foreign_toplevel_manager_v1, WlrToplevelManagerDestroy>;

// Tells the compositor the handle is forgotten, and frees the proxy.
struct WlrToplevelHandleDestroy {
    void operator()(zwlr_foreign_toplevel_handle_v1* handle) const {
        zwlr_foreign_toplevel_handle_v1_destroy(handle);
    }
};

using WlrToplevelHandlePtr =
    std::unique_ptr<zwlr_foreign_toplevel_handle_v1, WlrToplevelHandleDestroy>;

}  // namespace dorvane
