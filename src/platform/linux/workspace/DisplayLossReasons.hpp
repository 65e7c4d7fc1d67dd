#pragma once

namespace dorvane {

// Said alike whichever connection to the display notices first: a backend's own or GTK's.
inline constexpr const char* waylandCompositorLost =
    "lost the connection to the Wayland compositor";
inline constexpr const char* x11ServerLost = "lost the connection to the X server";

}  // namespace dorvane
