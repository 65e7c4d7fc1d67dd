#include "testbed/GtkWindow.hpp"

#include <vector>

namespace dorvane::test {
namespace {

// Debian's own: python3-gi is installed for it, whatever python3 comes first on PATH.
constexpr const char* python = "/usr/bin/python3";

}  // namespace

bool canOpenGtkWindows() {
    return runCommand(
               {python, "-c",
                "import gi; gi.require_version('Gtk', '3.0'); from gi.repository import Gtk"})
               .exitCode == 0;
}

std::unique_ptr<ChildProcess> openGtkWindow(const std::string& appId,
                                            std::map<std::string, std::string> environment) {
    environment["GDK_BACKEND"] = "wayland";
    environment["NO_AT_BRIDGE"] = "1";
    return std::make_unique<ChildProcess>(
        std::vector<std::string>{python, DORVANE_SOURCE_DIR "/tests/testbed/gtk-window.py", appId},
        environment);
}

}  // namespace dorvane::test
