#pragma once

#include <wayland-client.h>

#include <memory>

#include "wlr-foreign-toplevel-management-unstable-v1-client-protocol.h"

namespace dorvane {

struct WlDisplayDisconnect {
    void operator()(wl_display* display) const { wl_display_disconnect(display); }
};

// The connection to the compositor; every proxy made on it must go before it.
using WlDisplayPtr = std::unique_ptr<wl_display, WlDisplayDisconnect>;

struct WlRegistryDestroy {
    void operator()(wl_registry* registry) const { wl_registry_destroy(registry); }
};

using WlRegistryPtr = std::unique_ptr<wl_registry, WlRegistryDestroy>;

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
