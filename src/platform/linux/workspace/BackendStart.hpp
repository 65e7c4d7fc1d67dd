#pragma once

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

}  // namespace dorvane
