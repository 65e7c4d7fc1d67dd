#pragma once

#include <chrono>
#include <thread>

namespace dorvane::test {

// Polls `condition` until it holds or `timeout` passes; the result of its last call.
template <typename Condition>
bool eventually(Condition condition, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        if (condition()) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return condition();
}

}  // namespace dorvane::test
