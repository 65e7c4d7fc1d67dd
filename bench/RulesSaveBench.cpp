#include "RulesSaveBench.hpp"

#include <poll.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "BenchFigures.hpp"
#include "testbed/X11Session.hpp"

namespace dorvane::test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr int saves = 20;

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

// Slack in front, its rule saved back and forth between two slots.
int rulesSave(const std::string& binary) {
    X11Session session;
    writeFile(session.rulesFile(), "cursor: Slack\n");
    session.launch(binary, session.slack);
    expectOnPad(session, "OS linux\nLAYER cursor\n");
    std::vector<double> milliseconds;
    for (int i = 0; i < saves; ++i) {
        const std::string slot = i % 2 == 0 ? "chrome" : "cursor";
        // Saves land anywhere within the companion's one-second tick.
        std::this_thread::sleep_for(std::chrono::milliseconds(50 + 47 * i % 500));
        const auto start = Clock::now();
        saveByRename(session.rulesFile(), slot + ": Slack\n");
        pollfd readable{session.pad(), POLLIN, 0};
        poll(&readable, 1, 5000);
        milliseconds.push_back(
            std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        expectOnPad(session, "LAYER " + slot + "\n");
    }
    std::printf(
        "saved rules change -> LAYER line readable, %d saves: median %.2f ms, max %.2f ms\n", saves,
        median(milliseconds), *std::max_element(milliseconds.begin(), milliseconds.end()));
    return 0;
}

}  // namespace dorvane::test
