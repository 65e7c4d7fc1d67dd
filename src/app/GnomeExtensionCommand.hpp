#pragma once

#include <ostream>

namespace dorvane {

enum class GnomeExtensionAction { install, uninstall };

// `dorvane gnome-extension install|uninstall`: puts the GNOME Shell extension that reports the
// focused application in place for the current user and enables it, or takes both back. Only
// Linux has GNOME Shell; elsewhere this says so. Returns the exit code.
int runGnomeExtensionCommand(GnomeExtensionAction action, std::ostream& out, std::ostream& err);

}  // namespace dorvane
