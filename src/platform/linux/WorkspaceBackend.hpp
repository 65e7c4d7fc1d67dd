#pragma once

#include <memory>
#include <string>

#include "app/Workspace.hpp"

namespace dorvane {

// One desktop backend's attempt to start: its workspace, or why there is none, as a clause that
// fits in a one-line message ("cannot open the X11 display :0").
struct BackendStart {
    std::unique_ptr<Workspace> workspace;
    std::string failure;
};

// Said alike whichever connection to the compositor notices first: the backend's own or GTK's.
inline constexpr const char* waylandCompositorLost =
    "lost the connection to the Wayland compositor";

}  // namespace dorvane
