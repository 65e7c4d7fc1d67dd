#pragma once

#include <map>
#include <memory>
#include <string>

#include "support/Process.hpp"

namespace dorvane::test {

// Whether GTK 3 windows can be opened: Debian's Python with its GTK bindings.
bool canOpenGtkWindows();

// One GTK 3 window (gtk-window.py) on the Wayland display that `environment` names; `appId` is
// its app ID and its title. It lives as long as the process returned.
std::unique_ptr<ChildProcess> openGtkWindow(const std::string& appId,
                                            std::map<std::string, std::string> environment);

}  // namespace dorvane::test
