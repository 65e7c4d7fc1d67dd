#pragma once

#include <functional>
#include <string>

#include "platform/linux/workspace/BackendStart.hpp"
#include "platform/linux/workspace/WorkspaceLossHandler.hpp"

namespace dorvane {

// Follows GNOME Shell, which tells the companion of its active window over the session bus
// through the Dorvane extension. Starts when org.gnome.Shell is on the session bus; `onLost` hears,
// on the main loop, that it left. When GNOME Shell says the extension cannot run (missing, turned
// off, out of date, failed), the workspace still starts (it sees nothing in front until the
// extension runs), with a notice of what is wrong and how to mend it.
BackendStart openGnomeShell(WorkspaceLossHandler onLost);

}  // namespace dorvane
