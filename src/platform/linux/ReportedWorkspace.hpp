#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/Workspace.hpp"
#include "platform/linux/GLibHandles.hpp"
#include "platform/linux/IdentityResolver.hpp"
#include "platform/linux/WorkspaceBackend.hpp"

namespace dorvane {

// What code running inside the compositor (a KWin script, a GNOME Shell extension) tells of the
// active window. Any text may be empty when the compositor does not know it.
struct ActiveWindowReport {
    std::string desktopId;  // the desktop entry the compositor matched, with or without ".desktop"
    std::string appName;    // the compositor's name for the application
    std::string windowClass;  // the window's app ID (its resource class under XWayland)
    std::string title;
    bool nothingActive = false;  // no window has the focus: the desktop, or between two windows
};

class FocusReportEndpoint;

// The workspace of a compositor that tells the companion of its active window over the session
// bus, rather than letting a client ask. The companion owns its well-known name while this lives;
// reports are taken from the compositor's own connection alone, and named through the desktop
// entries like every other backend's windows.
class ReportedWorkspace final : public Workspace {
public:
    // Starts taking reports from the current owner of `compositorName` ("org.kde.KWin") on the
    // session bus. None when that name has no owner or the companion's name is taken; `failure`
    // then says why, as a clause for a one-line message. `onLost` hears that the compositor left
    // the session bus.
    static std::unique_ptr<ReportedWorkspace> open(const std::string& compositorName,
                                                   WorkspaceLossHandler onLost,
                                                   std::string& failure);

    ~ReportedWorkspace() override;
    ReportedWorkspace(const ReportedWorkspace&) = delete;
    ReportedWorkspace& operator=(const ReportedWorkspace&) = delete;

    // The application of the last report, with no round trip; none before the first report and
    // while nothing is active.
    std::optional<RunningApplication> frontmostApplication() override;

    // A report of nothing active is not delivered: the compositor sends one between two windows,
    // and the tick looks again soon enough for the desktop itself.
    void observeActivations(ActivationHandler handler) override;

    // Takes one report, as the endpoint does for each accepted call.
    void take(const ActiveWindowReport& report);

    // Runs the default main context until the compositor's first report has been taken, or
    // `timeout` has passed, so that the workspace answers from the start rather than after the
    // first switch; whether the report came. Meant for before the caller's own loop runs: a
    // compositor that leaves the bus meanwhile ends the wait, and the loss handler hears of it
    // from that loop, once it runs.
    bool awaitFirstReport(std::chrono::milliseconds timeout);

private:
    explicit ReportedWorkspace(WorkspaceLossHandler onLost);

    void lose(const std::string& reason);

    ActivationHandler handler_;
    WorkspaceLossHandler onLost_;
    bool reported_ = false;
    bool awaiting_ = false;
    std::string heldLossReason_;
    GSourcePtr heldLoss_;  // passes a loss taken while awaiting on to the caller's loop
    IdentityResolver resolver_;
    std::optional<RunningApplication> frontmost_;
    // Last member: no report reaches this object once teardown has begun.
    std::unique_ptr<FocusReportEndpoint> endpoint_;
};

}  // namespace dorvane
