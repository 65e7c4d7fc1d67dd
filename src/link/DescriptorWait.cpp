#include "link/DescriptorWait.hpp"

#include <sys/select.h>

#include <cerrno>

namespace dorvane {

// select() rather than poll(): macOS's poll() does not support devices and reports POLLNVAL for
// a serial port.
int waitUntilReady(int fd, Readiness wanted, std::chrono::microseconds timeout) {
    if (fd >= FD_SETSIZE) {
        errno = EINVAL;
        return -1;
    }
    fd_set set;
    FD_ZERO(&set);
    FD_SET(fd, &set);
    timeval limit{static_cast<time_t>(timeout.count() / 1'000'000),
                  static_cast<suseconds_t>(timeout.count() % 1'000'000)};
    fd_set* readable = wanted == Readiness::readable ? &set : nullptr;
    fd_set* writable = wanted == Readiness::writable ? &set : nullptr;
    return select(fd + 1, readable, writable, nullptr, &limit);
}

}  // namespace dorvane
