#include "rules/RulesLocation.hpp"

#include "platform/linux/system/EnvironmentVariable.hpp"
#include "platform/linux/system/HomeFolder.hpp"
#include "platform/linux/system/RulesLocationLinux.hpp"

namespace dorvane {

std::filesystem::path rulesFileUnder(std::optional<std::string_view> xdgConfigHome,
                                     const std::filesystem::path& home) {
    const bool usable = xdgConfigHome && std::filesystem::path(*xdgConfigHome).is_absolute();
    const std::filesystem::path configFolder =
        usable ? std::filesystem::path(*xdgConfigHome) : home / ".config";
    return configFolder / "dorvane" / "apps.txt";
}

std::filesystem::path defaultRulesFile() {
    return rulesFileUnder(environmentVariable("XDG_CONFIG_HOME"), homeFolder());
}

}  // namespace dorvane
