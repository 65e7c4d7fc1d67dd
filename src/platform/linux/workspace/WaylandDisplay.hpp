#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>

#include "platform/linux/workspace/WaylandHandles.hpp"

namespace dorvane {

// How long a compositor may take to answer a round trip before it is taken for hung.
inline constexpr std::chrono::seconds waylandAnswerTimeout{3};

// The display WAYLAND_DISPLAY names, as libwayland reads it ("wayland-0" when unset).
std::string waylandDisplayName();

// Connects to that display; none, with `refusal` saying why as a one-line clause, when it cannot.
// libwayland's own log lines are kept off stderr: the refusal says what they would.
WlDisplayPtr connectToWaylandDisplay(std::string& refusal);

enum class RoundTrip { answered, broken, unanswered };

// As wl_display_roundtrip, dispatching the default queue until the compositor has handled every
// request sent so far, but giving up after `patience`: a socket that accepts and never answers
// must not hang the caller.
RoundTrip roundTrip(wl_display* display, std::chrono::milliseconds patience = waylandAnswerTimeout);

// Why the connection to `display` broke, as a one-line clause: the compositor gone, or its refusal
// of this client with a protocol error.
std::string waylandConnectionFailure(wl_display* display);

// Empty when the compositor answered a round trip within waylandAnswerTimeout; else why not.
std::string waylandRoundTripFailure(wl_display* display);

// The process that listens on the display's socket, as the kernel recorded it; none when the
// kernel does not say.
std::optional<pid_t> displayServerOf(wl_display* display);

// Whether `process` is the compositor of the display whose socket `server` listens on: `server`
// itself, or its child when `server` is kwin_wayland_wrapper, which holds KWin's socket and
// starts KWin (again after a crash) on it.
bool servesDisplay(pid_t process, pid_t server);

}  // namespace dorvane
