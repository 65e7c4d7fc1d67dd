#include "SwayBench.hpp"

#include "BenchFigures.hpp"
#include "ToplevelObserver.hpp"
#include "testbed/WlrootsSession.hpp"

namespace dorvane::test {
namespace {

struct SwaySession : WlrootsSession {
    SwaySession() : WlrootsSession(WlrootsCompositor::sway) {}
};

using Session = LaunchedSession<SwaySession>;

// Timed from the moment the request is on sway's socket, as a key binding would make it,
// without swaymsg's own start-up; sway's reply is read once the pad has its line.
int latency(const std::string& binary) {
    Session session(binary);
    SwayIpc ipc(session.desktop.ipcSocket());
    ToplevelObserver bare(session.desktop.environment().at("WAYLAND_DISPLAY"));
    reportSwitchLatency(
        "sway: focus request", session.pad(), session.companion().pid(), bare,
        [&](bool toSlack) {
            const std::string appId = toSlack ? SwaySession::slack : SwaySession::chrome;
            ipc.send(SwayIpc::runCommandMessage, "[app_id=\"" + appId + "\"] focus");
        },
        [&](const std::string& line) {
            ipc.receiveReply();
            session.expect(line);
        });
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
