#pragma once

#include <filesystem>

namespace dorvane {

// What a second companion says before it leaves the first in charge of the pad.
inline constexpr const char* alreadyRunningMessage = "Dorvane is already running";

// Keeps a second companion of the same user from fighting the first for the pad's port: the
// first holds an exclusive lock on a file of its own for its whole run. The kernel drops the
// lock with the process, however it ends, so no stale lock can keep the companion from starting.
class InstanceLock {
public:
    explicit InstanceLock(const std::filesystem::path& file);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // True only when another process holds the lock. A lock that cannot be taken for any other
    // reason (no such folder, say) lets the companion run: better two than none.
    bool heldByAnother() const { return heldByAnother_; }

private:
    int fd_ = -1;
    bool heldByAnother_ = false;
};

// Where this platform keeps the lock: a folder private to the user, cleared at logout or boot.
std::filesystem::path instanceLockFile();

}  // namespace dorvane
