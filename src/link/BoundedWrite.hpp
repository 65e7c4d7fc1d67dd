#pragma once

#include <chrono>
#include <cstddef>
#include <string_view>

namespace dorvane {

// Writes `bytes` to the non-blocking descriptor `fd`, continuing short writes and waiting for
// room at most `budget` in all. How many bytes were taken: all of them on success.
std::size_t writeWithin(int fd, std::string_view bytes, std::chrono::milliseconds budget);

// How many bytes written to the terminal `fd` its driver still holds; 0 when it cannot tell.
std::size_t queuedOutput(int fd);

// Waits until the driver of `fd` holds no more output, or `budget` has passed. Unlike tcdrain(),
// never longer.
void drainWithin(int fd, std::chrono::milliseconds budget);

}  // namespace dorvane
