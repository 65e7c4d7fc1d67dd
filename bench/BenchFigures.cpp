#include "BenchFigures.hpp"

#include <poll.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

namespace dorvane::test {

double percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(p * (values.size() - 1))];
}

void reportSwitchLatency(const std::string& request, int pad,
                         const std::function<void(bool toSlack)>& focus,
                         const std::function<void(const std::string& line)>& expect) {
    constexpr int switches = 100;
    std::vector<double> milliseconds;
    for (int i = 0; i < switches; ++i) {
        const bool toSlack = i % 2 == 0;
        const auto start = std::chrono::steady_clock::now();
        focus(toSlack);
        pollfd readable{pad, POLLIN, 0};
        poll(&readable, 1, 5000);
        milliseconds.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
        expect(toSlack ? "LAYER slack\n" : "LAYER chrome\n");
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    std::printf("%s -> LAYER line readable, %d switches: p50 %.2f ms, p99 %.2f ms, max %.2f ms\n",
                request.c_str(), switches, percentile(milliseconds, 0.5),
                percentile(milliseconds, 0.99), percentile(milliseconds, 1.0));
}

}  // namespace dorvane::test
