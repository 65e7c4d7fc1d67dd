#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace dorvane {

// The rules file under the XDG configuration folder: $XDG_CONFIG_HOME when it is absolute (the
// base-directory rules say to ignore a relative one), else ~/.config.
std::filesystem::path rulesFileUnder(std::optional<std::string_view> xdgConfigHome,
                                     const std::filesystem::path& home);

}  // namespace dorvane
