#pragma once

#include <fcntl.h>
#include <sys/stat.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <stdexcept>

#include "rules/RulesFile.hpp"
#include "support/Eventually.hpp"
#include "support/TempDir.hpp"

namespace dorvane::test {

// Sets a file's access and modification times, so that a test need not wait for the clock.
inline void setModificationTime(const std::filesystem::path& path, std::time_t seconds,
                                long nanoseconds) {
    const timespec times[2] = {{seconds, nanoseconds}, {seconds, nanoseconds}};
    if (::utimensat(AT_FDCWD, path.c_str(), times, 0) != 0) {
        throw std::runtime_error("utimensat failed on " + path.string());
    }
}

// A clock for LayerMap under which every file the test writes has long settled.
inline std::chrono::system_clock::time_point longAfterEveryWrite() {
    return std::chrono::system_clock::now() + std::chrono::hours(1);
}

// The status-change time cannot be set, and file systems take it from a coarse clock (a tick of
// a few milliseconds on Linux), so two changes in quick succession may share it. Waits until a
// change made now gets a later one than the file's last change.
inline void waitForALaterStatusChangeTime(const std::filesystem::path& path) {
    const auto last = rulesfile::fileStamp(path).value().statusChanged;
    const auto probe = path.parent_path() / ".probe";
    const bool later = eventually(
        [&] {
            std::filesystem::remove(probe);
            writeFile(probe, "");
            return rulesfile::fileStamp(probe).value().statusChanged > last;
        },
        std::chrono::seconds(5));
    std::filesystem::remove(probe);
    if (!later) {
        throw std::runtime_error("the status-change clock did not move");
    }
}

}  // namespace dorvane::test
