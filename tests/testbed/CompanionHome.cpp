#include "testbed/CompanionHome.hpp"

#include "testbed/DesktopData.hpp"

namespace dorvane::test {

CompanionHome::CompanionHome() {
    std::filesystem::create_directories(folder_ / "empty");
    std::filesystem::create_directory(folder_ / "runtime");
    std::filesystem::permissions(folder_ / "runtime", std::filesystem::perms::owner_all);
    linkSystemDataForGtk(folder_ / "data");
}

void CompanionHome::addDesktopEntry(const std::string& id, const std::string& keys) {
    writeFile(folder_ / "data/applications" / (id + ".desktop"),
              "[Desktop Entry]\nType=Application\nExec=true\n" + keys);
}

// Parallel sessions would share one accessibility bus, and one companion lock, otherwise.
std::map<std::string, std::string> CompanionHome::environment() const {
    return {{"HOME", folder_.path()},
            {"XDG_CONFIG_HOME", folder_ / "config"},
            {"XDG_DATA_HOME", folder_ / "data"},
            {"XDG_DATA_DIRS", folder_ / "empty"},
            {"XDG_RUNTIME_DIR", folder_ / "runtime"},
            {"NO_AT_BRIDGE", "1"},
            {"GSETTINGS_BACKEND", "memory"},
            {"LSAN_OPTIONS",
             "print_suppressions=0:suppressions=" DORVANE_SOURCE_DIR "/tests/lsan.supp"}};
}

}  // namespace dorvane::test
