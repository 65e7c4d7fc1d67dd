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

Pty::Pty() : master_(posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC)) {
    char name[128];
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0 ||
        ptsname_r(master_, name, sizeof name) != 0 ||
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
    const auto deadline = Clock::now() + timeout;
    std::string bytes;
    char buffer[65536];
    while (bytes.size() < count) {
        pollfd ready{master_, POLLIN, 0};
        if (poll(&ready, 1, millisecondsUntil(deadline)) <= 0) {
            break;
        }
        const ssize_t n = ::read(master_, buffer, std::min(sizeof buffer, count - bytes.size()));
        if (n > 0) {
            bytes.append(buffer, static_cast<std::size_t>(n));
        } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
            break;  // EIO: the slave side is closed and nothing is left
        }
    }
    return bytes;
}

bool Pty::slaveClosed(std::chrono::milliseconds timeout) const {
    // No events asked: poll() then waits for the hang-up alone, not for pending bytes.
    pollfd hangUp{master_, 0, 0};
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
