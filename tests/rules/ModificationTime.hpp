#pragma once

#include <fcntl.h>
#include <sys/stat.h>

#include <ctime>
#include <filesystem>
#include <stdexcept>

namespace dorvane::test {

// Sets a file's access and modification times, so that a test need not wait for the clock.
inline void setModificationTime(const std::filesystem::path& path, std::time_t seconds,
                                long nanoseconds) {
    const timespec times[2] = {{seconds, nanoseconds}, {seconds, nanoseconds}};
    if (::utimensat(AT_FDCWD, path.c_str(), times, 0) != 0) {
        throw std::runtime_error("utimensat failed on " + path.string());
    }
}

}  // namespace dorvane::test
