#pragma once

#include <chrono>
#include <string_view>

namespace dorvane {

// Writes all of `bytes` to the non-blocking descriptor `fd`, continuing short writes, waiting
// for room at most `budget` in all. True only when every byte was taken.
bool writeAll(int fd, std::string_view bytes, std::chrono::milliseconds budget);

}  // namespace dorvane
