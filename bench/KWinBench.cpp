#include "KWinBench.hpp"

#include "BenchFigures.hpp"
#include "FocusReportMonitor.hpp"
#include "testbed/KWinSession.hpp"

namespace dorvane::test {
namespace {

using Session = LaunchedSession<KWinSession>;

// Timed from the request to run a script already loaded, so that KWin's loading of the test's
// own script stays out of the figure; the next one is loaded once the pad has its line.
int latency(const std::string& binary) {
    Session session(binary);
    session.desktop.prepareActivation(KWinSession::slack);
    FocusReportMonitor bare(session.bus.address());
    reportSwitchLatency(
        "KWin: activation by a script", session.pad(), session.companion().pid(), bare,
        [&](bool) { session.desktop.requestPreparedActivation(); },
        [&](const std::string& line) {
            session.expect(line);
            const bool wasSlack = line == "LAYER slack\n";
            session.desktop.prepareActivation(wasSlack ? KWinSession::chrome : KWinSession::slack);
        });
    return 0;
}

}  // namespace

bool isKWinMode(const std::string& mode) {
    return mode == "kwin-latency";
}

int runKWinMode(const std::string&, const std::string& binary) {
    return latency(binary);
}

}  // namespace dorvane::test
