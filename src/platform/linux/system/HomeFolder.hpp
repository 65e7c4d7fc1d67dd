#pragma once

#include <filesystem>

namespace dorvane {

// The current user's home folder: $HOME when set and absolute, else the password database.
std::filesystem::path homeFolder();

}  // namespace dorvane
