#pragma once

#include <chrono>

namespace dorvane {

enum class Readiness { readable, writable };

// Waits at most `timeout` for one descriptor to become ready, as select() does: more than 0 when
// it is, 0 when the time ran out, -1 with errno set when the wait failed. A descriptor beyond what
// an fd_set can hold fails with EINVAL instead of overrunning the set.
int waitUntilReady(int fd, Readiness wanted, std::chrono::microseconds timeout);

}  // namespace dorvane
