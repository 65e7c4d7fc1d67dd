#pragma once

#include "app/PlatformCommands.hpp"

namespace dorvane {

// `dorvane gnome-extension install|uninstall`: puts the GNOME Shell extension that reports the
// focused application in place for the current user and enables it, or takes both back.
Command gnomeExtensionCommand();

}  // namespace dorvane
