#pragma once

#include <wayland-client.h>

#include <functional>
#include <optional>
#include <string>

#include "platform/linux/glib/GLibHandles.hpp"

namespace dorvane {

// Called on the loop after the display's events were dispatched, with why the connection broke
// when it did (a one-line clause); returns whether to go on reading.
using WaylandDispatched = std::function<bool(std::optional<std::string> failure)>;

// Reads `display`'s events on the default GLib main context, with no thread: a client that
// shares its connection with nobody announces a read in prepare (or dispatches what is already
// queued), reads or withdraws it in check, dispatches the queue in dispatch. The display must
// outlive the source.
GSourcePtr attachWaylandEventSource(wl_display* display, WaylandDispatched dispatched);

}  // namespace dorvane
