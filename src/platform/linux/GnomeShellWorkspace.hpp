#pragma once

#include <functional>
#include <string>

#include "platform/linux/WorkspaceBackend.hpp"

namespace dorvane {

// GNOME Shell, telling the companion of its active window over the session bus through the
// Dorvane extension.
class GnomeShellWorkspace {
public:
    // Starts when org.gnome.Shell is on the session bus; `onLost` hears, on the main loop, that it
    // left. When GNOME Shell says the extension is not active, the workspace still starts (it
    // sees nothing in front until the extension runs), with a notice of how to install it.
    static BackendStart open(WorkspaceLossHandler onLost);
};

}  // namespace dorvane
