#include "CosmicBench.hpp"

#include "BenchFigures.hpp"
#include "CosmicToplevelObserver.hpp"
#include "testbed/CosmicSession.hpp"

namespace dorvane::test {
namespace {

// Timed from the moment the request is on the stand-in's socket, as a key binding would make it;
// the stand-in's answer is read once the pad has its line. The bare client connects before the
// companion, so that the stand-in writes each batch to it first: what that order weighs, it
// weighs against the companion.
int latency(const std::string& binary) {
    CosmicSession session;
    CosmicToplevelObserver bare(session.desktop.environment().at("WAYLAND_DISPLAY"));
    session.launch(binary, CosmicSession::chrome);
    expectOnPad(session, "OS linux\nLAYER chrome\n");
    reportSwitchLatency(
        "COSMIC stand-in: activation request", session.pad(), session.companion().pid(), bare,
        [&](bool toSlack) {
            session.desktop.requestFocus(toSlack ? CosmicSession::slack : CosmicSession::chrome);
        },
        [&](const std::string& line) {
            session.desktop.awaitAnswer();
            expectOnPad(session, line);
        });
    return 0;
}

}  // namespace

bool isCosmicMode(const std::string& mode) {
    return mode == "cosmic-latency";
}

int runCosmicMode(const std::string&, const std::string& binary) {
    return latency(binary);
}

}  // namespace dorvane::test
