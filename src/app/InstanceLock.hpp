#pragma once

#include <filesystem>

namespace dorvane {

// What a second companion says before it leaves the first in charge of the pad.
inline constexpr const char* alreadyRunningMessage = "Dorvane is already running";

// A name of the user's own in a namespace of the kernel, held for the process's lifetime: no file
// operation removes it, and no environment variable moves it. The kernel drops it with the
// process, however it ends.
class InstanceName {
public:
    enum class Claim {
        held,           // this process holds it now
        heldByAnother,  // a process of this user holds it
        undecided,      // the platform has none, or a holder that cannot be told for the user's
    };

    // Owns `fd`, the descriptor that holds the name (-1 for none), and closes it.
    InstanceName(int fd, Claim claim) : fd_(fd), claim_(claim) {}
    ~InstanceName();
    InstanceName(InstanceName&& other) noexcept;
    InstanceName(const InstanceName&) = delete;
    InstanceName& operator=(const InstanceName&) = delete;
    InstanceName& operator=(InstanceName&&) = delete;

    Claim claim() const { return claim_; }

private:
    int fd_;
    Claim claim_;
};

// Keeps a second companion of the same user from fighting the first for the pad's port. The
// platform's instance name decides where it can; an exclusive lock on a file of the companion's
// own decides otherwise, and also keeps a companion from running beside an older one that knows
// only the file. The kernel drops both with the process, so nothing stale keeps it from starting.
class InstanceLock {
public:
    explicit InstanceLock(const std::filesystem::path& file);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // True only when another process holds the name or the file. A lock that cannot be taken for
    // any other reason (no such folder, say) lets the companion run: better two than none.
    bool heldByAnother() const { return heldByAnother_; }

private:
    void lockFile(const std::filesystem::path& file);

    InstanceName name_;
    int fd_ = -1;
    bool heldByAnother_ = false;
};

// Claims this platform's instance name for the user of this process.
InstanceName claimInstanceName();

// Where this platform keeps the lock file: a folder private to the user, cleared at logout or
// boot.
std::filesystem::path instanceLockFile();

}  // namespace dorvane
