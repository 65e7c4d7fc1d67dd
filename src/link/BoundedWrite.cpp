#include "link/BoundedWrite.hpp"

#include <poll.h>
#include <unistd.h>

#include <cerrno>

namespace dorvane {
namespace {

using Clock = std::chrono::steady_clock;

// Waits until `fd` can take more bytes; false once `deadline` has passed or the descriptor
// reports anything but room.
bool waitForRoom(int fd, Clock::time_point deadline) {
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            return false;
        }
        pollfd room{fd, POLLOUT, 0};
        const int ready = poll(&room, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        return ready > 0 && (room.revents & POLLOUT) != 0;
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
