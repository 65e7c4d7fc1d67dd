#include "link/BoundedWrite.hpp"

#include <sys/select.h>
#include <unistd.h>

#include <cerrno>

namespace dorvane {
namespace {

using Clock = std::chrono::steady_clock;

// Waits until `fd` can take more bytes; false once `deadline` has passed or the wait fails.
// select() rather than poll(): macOS's poll() does not support devices and reports POLLNVAL for
// a serial port.
bool waitForRoom(int fd, Clock::time_point deadline) {
    if (fd >= FD_SETSIZE) {
        return false;  // beyond what an fd_set can hold
    }
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::microseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            return false;
        }
        fd_set writable;
        FD_ZERO(&writable);
        FD_SET(fd, &writable);
        timeval timeout{static_cast<time_t>(left.count() / 1'000'000),
                        static_cast<suseconds_t>(left.count() % 1'000'000)};
        const int ready = select(fd + 1, nullptr, &writable, nullptr, &timeout);
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        return ready > 0;
    }
}

}  // namespace

bool writeAll(int fd, std::string_view bytes, std::chrono::milliseconds budget) {
    const auto deadline = Clock::now() + budget;
    while (!bytes.empty()) {
        const ssize_t written = write(fd, bytes.data(), bytes.size());
        if (written > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(written));
            continue;
        }
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            return false;
        }
        if (!waitForRoom(fd, deadline)) {
            return false;
        }
    }
    return true;
}

}  // namespace dorvane
