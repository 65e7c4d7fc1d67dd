#pragma once

#include <functional>
#include <string>

#include "platform/linux/WorkspaceBackend.hpp"

namespace dorvane {

// GNOME Shell, telling the companion of its active window over the session bus.
class GnomeShellWorkspace {
public:
    using LossHandler = std::function<void(const std::string& reason)>;

    // Starts when org.gnome.Shell is on the session bus; `onLost` hears, on the main loop, that it
    // left.
    static BackendStart open(LossHandler onLost);
};

}  // namespace dorvane
