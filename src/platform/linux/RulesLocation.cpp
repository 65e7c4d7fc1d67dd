#include "rules/RulesLocation.hpp"

#include <cstdlib>

#include "platform/linux/RulesLocationLinux.hpp"

namespace dorvane {
namespace {

std::optional<std::string_view> environmentVariable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::optional<std::string_view>(value) : std::nullopt;
}

}  // namespace

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
