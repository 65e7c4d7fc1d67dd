#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/Notifier.hpp"
#include "app/Workspace.hpp"

namespace dorvane {

// One desktop backend's attempt to start: its workspace, or why there is none, as a clause that
// fits in a one-line message ("cannot open the X11 display :0").
struct BackendStart {
    std::unique_ptr<Workspace> workspace;
    std::string failure;
    // What the user must do before a backend that started can see anything: said once on stderr
    // and, by the companion, as a desktop notification. Initialised here so that a start with
    // nothing to say is still written {workspace, failure}.
    std::optional<Notification> notice = std::nullopt;
};

// Called once, on the main loop, when the desktop a backend follows is gone; `reason` fits in a
// one-line message. Nothing is delivered afterwards.
using WorkspaceLossHandler = std::function<void(const std::string& reason)>;

// Said alike whichever connection to the display notices first: the backend's own or GTK's.
inline constexpr const char* waylandCompositorLost =
    "lost the connection to the Wayland compositor";
inline constexpr const char* x11ServerLost = "lost the connection to the X server";

}  // namespace dorvane
