#include "support/Pty.hpp"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/select.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>

namespace dorvane::test {
namespace {

using Clock = std::chrono::steady_clock;

// select() rather than poll(): macOS's poll() does not support devices.
bool readableWithin(int fd, std::chrono::microseconds timeout) {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(fd, &readable);
    timeval left{static_cast<time_t>(timeout.count() / 1'000'000),
                 static_cast<suseconds_t>(timeout.count() % 1'000'000)};
    return select(fd + 1, &readable, nullptr, nullptr, &left) > 0;
}

// Still asks once the deadline has passed, without waiting.
bool readableBefore(int fd, Clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::microseconds>(deadline - Clock::now());
    return readableWithin(fd, std::max(left, std::chrono::microseconds(0)));
}

bool isHangUp(ssize_t received) {
    return received == 0 || (received < 0 && errno == EIO);
}

}  // namespace

// POSIX gives posix_openpt() only O_RDWR and O_NOCTTY, so close-on-exec is set afterwards.
Pty::Pty() : master_(posix_openpt(O_RDWR | O_NOCTTY)) {
    char name[128];
    if (master_ < 0 || fcntl(master_, F_SETFD, FD_CLOEXEC) != 0 || grantpt(master_) != 0 ||
        unlockpt(master_) != 0 || ptsname_r(master_, name, sizeof name) != 0 ||
        fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK) != 0) {
        closeMaster();
        throw std::runtime_error("cannot open a pseudo-terminal");
    }
    slavePath_ = name;
}

Pty::~Pty() {
    closeMaster();
}

std::string Pty::read(std::size_t count, std::chrono::milliseconds timeout) const {
    return readFromMaster(master_, count, timeout, OnHangUp::stop);
}

bool Pty::slaveClosed(std::chrono::milliseconds timeout) const {
    return dorvane::test::slaveClosed(master_, timeout);
}

bool waitReadable(int fd, std::chrono::milliseconds timeout) {
    return readableWithin(fd, timeout);
}

std::string readFromMaster(int masterFd, std::size_t count, std::chrono::milliseconds timeout,
                           OnHangUp onHangUp) {
    const auto deadline = Clock::now() + timeout;
    std::string bytes;
    char buffer[65536];
    while (bytes.size() < count && Clock::now() < deadline) {
        if (!readableBefore(masterFd, deadline)) {
            break;
        }
        const ssize_t n = ::read(masterFd, buffer, std::min(sizeof buffer, count - bytes.size()));
        if (n > 0) {
            bytes.append(buffer, static_cast<std::size_t>(n));
        } else if (isHangUp(n)) {
            if (onHangUp == OnHangUp::stop) {
                break;
            }
            struct timespec pause {
                0, 10'000'000
            };
            nanosleep(&pause, nullptr);
        }
    }
    return bytes;
}

// Once no slave descriptor is open, the master reads what is left, then EIO (Linux) or end of
// file (macOS).
bool slaveClosed(int masterFd, std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    char discarded[65536];
    while (readableBefore(masterFd, deadline)) {
        if (isHangUp(::read(masterFd, discarded, sizeof discarded))) {
            return true;
        }
    }
    return false;
}

void Pty::closeMaster() {
    if (master_ >= 0) {
        close(master_);
    }
    master_ = -1;
}

}  // namespace dorvane::test
