#include "app/InstanceLock.hpp"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace dorvane {
namespace {

// A file swapped under every try is someone's doing; past this many the companion runs.
constexpr int fileLockAttempts = 8;

// Whether `fd` is still the file that `file` names: a lock on a file that was removed or
// replaced meanwhile keeps no other companion out.
bool namesTheSameFile(int fd, const std::filesystem::path& file) {
    struct stat held {};
    struct stat named {};
    return fstat(fd, &held) == 0 && lstat(file.c_str(), &named) == 0 &&
           held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

}  // namespace

InstanceName::~InstanceName() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

InstanceName::InstanceName(InstanceName&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), claim_(other.claim_) {}

InstanceLock::InstanceLock(const std::filesystem::path& file) : name_(claimInstanceName()) {
    if (name_.claim() == InstanceName::Claim::heldByAnother) {
        heldByAnother_ = true;
        return;
    }
    lockFile(file);
}

InstanceLock::~InstanceLock() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

// Close-on-exec, so that a browser or an editor the companion opens does not inherit the lock
// and keep it after the companion has gone. A symbolic link at the path is never followed: it
// is removed (its target is left alone) and the file made anew in its place.
void InstanceLock::lockFile(const std::filesystem::path& file) {
    for (int attempt = 0; attempt < fileLockAttempts; ++attempt) {
        const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0) {
            if (errno == ELOOP && ::unlink(file.c_str()) == 0) {
                continue;
            }
            return;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            heldByAnother_ = errno == EWOULDBLOCK;
            ::close(fd);
            return;
        }
        if (namesTheSameFile(fd, file)) {
            fd_ = fd;
            return;
        }
        ::close(fd);
    }
}

}  // namespace dorvane
