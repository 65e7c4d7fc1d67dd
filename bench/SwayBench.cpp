#include "SwayBench.hpp"

#include <poll.h>

#include <cstdio>
#include <stdexcept>
#include <thread>

#include "BenchFigures.hpp"
#include "support/SwaySession.hpp"

namespace dorvane::test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr int switches = 100;

using Session = LaunchedSession<SwaySession>;

// Timed from the moment the request is on sway's socket, as a key binding would make it,
// without swaymsg's own start-up; sway's reply is read once the pad has its line.
int latency(const std::string& binary) {
    Session session(binary);
    SwayIpc ipc(session.desktop.ipcSocket());
    std::vector<double> milliseconds;
    for (int i = 0; i < switches; ++i) {
        const bool toSlack = i % 2 == 0;
        const std::string appId = toSlack ? SwaySession::slack : SwaySession::chrome;
        const auto start = Clock::now();
        ipc.send(SwayIpc::runCommandMessage, "[app_id=\"" + appId + "\"] focus");
        pollfd readable{session.pad(), POLLIN, 0};
        poll(&readable, 1, 5000);
        milliseconds.push_back(
            std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        ipc.receiveReply();
        session.expect(toSlack ? "LAYER slack\n" : "LAYER chrome\n");
        std::this_thread::sleep_for(20ms);
    }
    std::printf(
        "sway: focus request -> LAYER line readable, %d switches: p50 %.2f ms, p99 %.2f ms, "
        "max %.2f ms\n",
        switches, percentile(milliseconds, 0.5), percentile(milliseconds, 0.99),
        percentile(milliseconds, 1.0));
    return 0;
}

int idle(const std::string& binary) {
    Session session(binary);
    reportIdle(session.companion().pid(), "on sway with the pad open, no tray host");
    return 0;
}

}  // namespace

bool isSwayMode(const std::string& mode) {
    return mode == "sway-latency" || mode == "sway-idle";
}

int runSwayMode(const std::string& mode, const std::string& binary) {
    return mode == "sway-latency" ? latency(binary) : idle(binary);
}

}  // namespace dorvane::test
