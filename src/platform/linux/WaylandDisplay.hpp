#pragma once

#include <string>

#include "platform/linux/WlrHandles.hpp"

namespace dorvane {

// The display WAYLAND_DISPLAY names, as libwayland reads it ("wayland-0" when unset).
std::string waylandDisplayName();

// Connects to that display; none, with `refusal` saying why as a one-line clause, when it cannot.
// libwayland's own log lines are kept off stderr: the refusal says what they would.
WlDisplayPtr connectToWaylandDisplay(std::string& refusal);

}  // namespace dorvane
