#pragma once

#include <wayland-client.h>

#include <functional>
#include <string>

#include "platform/linux/glib/GLibHandles.hpp"

namespace dorvane {

// Called on the loop, once, when the workspace is lost, with why (a one-line clause).
using WaylandLost = std::function<void(const std::string& reason)>;

// Reads `display`'s events on the default GLib main context, with no thread: a client that
// shares its connection with nobody announces a read in prepare (or dispatches what is already
// queued), reads or withdraws it in check, dispatches the queue in dispatch. `failure` is where
// the backend's handlers note why the workspace failed, empty until they do: after a dispatch
// that left a note there, or when the connection broke, reading stops and `lost` hears the
// reason, the note first. The display and `failure` must outlive the source.
GSourcePtr attachWaylandEventSource(wl_display* display, const std::string& failure,
                                    WaylandLost lost);

}  // namespace dorvane
