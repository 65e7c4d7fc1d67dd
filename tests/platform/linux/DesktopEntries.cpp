#include "DesktopEntries.hpp"

#include <stdlib.h>

namespace dorvane::test {
namespace {

std::string contents(const DesktopEntry& entry) {
    std::string text =
        "[Desktop Entry]\nType=Application\nExec=" + entry.exec + "\nName=" + entry.name + "\n";
    if (!entry.startupWmClass.empty()) {
        text += "StartupWMClass=" + entry.startupWmClass + "\n";
    }
    if (entry.noDisplay) {
        text += "NoDisplay=true\n";
    }
    return text;
}

}  // namespace

void DesktopEntries::SetUp() {
    root_ = std::make_unique<TempDir>();
    for (const auto& entry : entries_) {
        install(entry);
    }
    std::filesystem::create_directories(*root_ / "system");
    setenv("XDG_DATA_HOME", (*root_ / "home").c_str(), 1);
    setenv("XDG_DATA_DIRS", (*root_ / "system").c_str(), 1);
}

void DesktopEntries::install(const DesktopEntry& entry) const {
    writeFile(*root_ / "home" / "applications" / (entry.id + ".desktop"), contents(entry));
}

void DesktopEntries::TearDown() {
    root_.reset();
}

}  // namespace dorvane::test
