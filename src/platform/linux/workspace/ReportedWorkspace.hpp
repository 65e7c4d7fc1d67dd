#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/linux/glib/GLibHandles.hpp"
#include "platform/linux/workspace/ActiveWindowReport.hpp"
#include "platform/linux/workspace/BackendWorkspace.hpp"
#include "platform/linux/workspace/WorkspaceLossHandler.hpp"

namespace dorvane {

// A compositor that reports its active window over the session bus, as its backend knows it.
struct ReportingCompositor {
    const char* busName;  // its own name there ("org.kde.KWin")
    // How long awaitFirstReport waits, depending on how soon the code it runs for the companion
    // reports once the companion is ready for it.
    std::chrono::milliseconds firstReportTimeout;
};

class FocusReportEndpoint;
class QuitSignalWatch;

// The workspace of a compositor that tells the companion of its active window over the session
// bus, rather than letting a client ask. The companion owns its well-known name while this lives;
// reports are taken from the compositor's own connection alone, and named through the desktop
// entries like every other backend's windows. A report of nothing active is not delivered as an
// activation: the compositor sends one between two windows, and the tick looks again soon enough
// for the desktop itself.
class ReportedWorkspace final : public BackendWorkspace {
public:
    // Starts taking reports from the current owner of the compositor's name on the session bus.
    // None when that name has no owner, when its owner is not the compositor that WAYLAND_DISPLAY
    // leads to, or when the companion's name is taken; `failure` then says why, as a clause for a
    // one-line message. `onLost` hears that the compositor left the session bus or that its name
    // passed to another program.
    static std::unique_ptr<ReportedWorkspace> open(const ReportingCompositor& compositor,
                                                   WorkspaceLossHandler onLost,
                                                   std::string& failure);

    ~ReportedWorkspace() override;
    ReportedWorkspace(const ReportedWorkspace&) = delete;
    ReportedWorkspace& operator=(const ReportedWorkspace&) = delete;

    // The application of the last report, with no round trip; none before the first report and
    // while nothing is active.
    std::optional<RunningApplication> frontmostApplication() override;

    // Takes one report, as the endpoint does for each accepted call.
    void take(const ActiveWindowReport& report);

    // Runs the default main context until the compositor's first report has been taken, or its
    // first report's timeout has passed, so that the workspace answers from the start rather than
    // after the first switch; whether the report came. Meant for before the caller's own loop runs:
    // a compositor that leaves the bus meanwhile ends the wait, and the loss handler hears of it
    // from that loop, once it runs. A quit signal since this was opened ends it too, and the
    // caller's own handler of the signal decides what follows.
    bool awaitFirstReport();

private:
    ReportedWorkspace(std::chrono::milliseconds firstReportTimeout, WorkspaceLossHandler onLost);

    void lose(const std::string& reason);

    std::chrono::milliseconds firstReportTimeout_;
    bool reported_ = false;
    bool awaiting_ = false;
    std::string heldLossReason_;
    GSourcePtr heldLoss_;  // passes a loss taken while awaiting on to the caller's loop
    std::unique_ptr<QuitSignalWatch> startupSignals_;  // until the first report's wait is over
    std::optional<RunningApplication> frontmost_;
    // Last member: no report reaches this object once teardown has begun.
    std::unique_ptr<FocusReportEndpoint> endpoint_;
};

}  // namespace dorvane
