#include "GnomeShellBench.hpp"

#include "BenchFigures.hpp"
#include "FocusReportMonitor.hpp"
#include "testbed/GnomeShellSession.hpp"

namespace dorvane::test {
namespace {

using Session = LaunchedSession<GnomeShellSession>;

// Timed from the moment the activation request is on the session bus: the shell focuses the
// window, its extension calls the companion over the bus, and the companion writes the line.
int latency(const std::string& binary) {
    Session session(binary);
    FocusReportMonitor bare(session.bus.address());
    reportSwitchLatency(
        "GNOME Shell: activation request", session.pad(), session.companion().pid(), bare,
        [&](bool toSlack) {
            session.desktop().requestActivation(toSlack ? GnomeShellSession::slack
                                                        : GnomeShellSession::chrome);
        },
        [&](const std::string& line) { session.expect(line); });
    return 0;
}

}  // namespace

bool isGnomeShellMode(const std::string& mode) {
    return mode == "gnome-latency";
}

int runGnomeShellMode(const std::string&, const std::string& binary) {
    return latency(binary);
}

}  // namespace dorvane::test
