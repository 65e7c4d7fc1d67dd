#include "support/Pty.hpp"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>

namespace dorvane::test {
namespace {

using Clock = std::chrono::steady_clock;

int millisecondsUntil(Clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    return static_cast<int>(std::max<std::chrono::milliseconds::rep>(left.count(), 0));
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

std::string readFromMaster(int masterFd, std::size_t count, std::chrono::milliseconds timeout,
                           OnHangUp onHangUp) {
    const auto deadline = Clock::now() + timeout;
    std::string bytes;
    char buffer[65536];
    while (bytes.size() < count && Clock::now() < deadline) {
        pollfd ready{masterFd, POLLIN, 0};
        if (poll(&ready, 1, millisecondsUntil(deadline)) <= 0) {
            break;
        }
        const ssize_t n = ::read(masterFd, buffer, std::min(sizeof buffer, count - bytes.size()));
        if (n > 0) {
            bytes.append(buffer, static_cast<std::size_t>(n));
        } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
            // EIO: no slave descriptor is open and nothing is left to read.
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

bool slaveClosed(int masterFd, std::chrono::milliseconds timeout) {
    // No events asked: poll() then waits for the hang-up alone, not for pending bytes.
    pollfd hangUp{masterFd, 0, 0};
    return poll(&hangUp, 1, static_cast<int>(timeout.count())) > 0 &&
           (hangUp.revents & POLLHUP) != 0;
}

void Pty::closeMaster() {
    if (master_ >= 0) {
        close(master_);
    }
    master_ = -1;
}

}  // namespace dorvane::test
