#include "link/BoundedWrite.hpp"

#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

#include "link/DescriptorWait.hpp"

namespace dorvane {
namespace {

using Clock = std::chrono::steady_clock;

// Waits until `fd` can take more bytes; false once `deadline` has passed or the wait fails.
bool waitForRoom(int fd, Clock::time_point deadline) {
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::microseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            return false;
        }
        const int ready = waitUntilReady(fd, Readiness::writable, left);
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        return ready > 0;
    }
}

}  // namespace

std::size_t writeWithin(int fd, std::string_view bytes, std::chrono::milliseconds budget) {
    const auto deadline = Clock::now() + budget;
    const std::size_t total = bytes.size();
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
            break;
        }
        if (!waitForRoom(fd, deadline)) {
            break;
        }
    }
    return total - bytes.size();
}

std::size_t queuedOutput(int fd) {
    int queued = 0;
    if (ioctl(fd, TIOCOUTQ, &queued) != 0 || queued < 0) {
        return 0;
    }
    return static_cast<std::size_t>(queued);
}

// Polled: no call waits for a drain with a time limit. A USB pad that reads takes a line
// within a millisecond or two.
void drainWithin(int fd, std::chrono::milliseconds budget) {
    const auto deadline = Clock::now() + budget;
    while (queuedOutput(fd) > 0 && Clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

}  // namespace dorvane
