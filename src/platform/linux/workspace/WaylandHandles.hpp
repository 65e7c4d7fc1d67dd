#pragma once

#include <wayland-client.h>

#include <memory>

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

}  // namespace dorvane
