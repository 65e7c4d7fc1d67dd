#pragma once

#include <filesystem>

namespace dorvane {

// Where the user's app rules live on this platform (macOS: ~/Library/Application Support/
// Dorvane/apps.txt; Linux: $XDG_CONFIG_HOME/dorvane/apps.txt or ~/.config/dorvane/apps.txt).
std::filesystem::path defaultRulesFile();

}  // namespace dorvane
