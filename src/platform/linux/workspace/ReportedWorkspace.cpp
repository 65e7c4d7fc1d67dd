#include "platform/linux/workspace/ReportedWorkspace.hpp"

#include <string_view>
#include <utility>

#include "platform/linux/glib/GLibHandles.hpp"
#include "platform/linux/glib/GLibMainLoop.hpp"
#include "platform/linux/workspace/FocusReportEndpoint.hpp"
#include "platform/linux/workspace/WaylandDisplay.hpp"
#include "text/UnlessEmpty.hpp"

namespace dorvane {
namespace {

// The compositor's match comes first; the window's class finds the entry when it matched none,
// and the compositor's name names an application that has none.
WindowFacts factsOf(const ActiveWindowReport& report) {
    WindowFacts facts;
    facts.applicationName = unlessEmpty(report.appName);
    facts.appId = unlessEmpty(withoutDesktopSuffix(report.desktopId));
    facts.wmClassClass = unlessEmpty(report.windowClass);
    return facts;
}

}  // namespace

std::unique_ptr<ReportedWorkspace> ReportedWorkspace::open(const ReportingCompositor& compositor,
                                                           WorkspaceLossHandler onLost,
                                                           std::string& failure) {
    // A compositor that reports over the bus is one this session's display leads to. Without a
    // display there is no such session, and the bus is not even asked: GIO would try to start one.
    const auto display = connectToWaylandDisplay(failure);
    if (!display) {
        return nullptr;
    }
    const auto server = displayServerOf(display.get());
    if (!server) {
        failure = "cannot tell which process serves the Wayland display " + waylandDisplayName();
        return nullptr;
    }
    std::unique_ptr<ReportedWorkspace> workspace(
        new ReportedWorkspace(compositor.firstReportTimeout, std::move(onLost)));
    auto* self = workspace.get();
    workspace->endpoint_ = FocusReportEndpoint::open(
        compositor.busName, *server,
        [self](const ActiveWindowReport& report) { self->take(report); },
        [self](const std::string& reason) { self->lose(reason); }, failure);
    if (!workspace->endpoint_) {
        return nullptr;
    }
    return workspace;
}

ReportedWorkspace::ReportedWorkspace(std::chrono::milliseconds firstReportTimeout,
                                     WorkspaceLossHandler onLost)
    : BackendWorkspace(std::move(onLost)),
      firstReportTimeout_(firstReportTimeout),
      startupSignals_(std::make_unique<QuitSignalWatch>()) {}

ReportedWorkspace::~ReportedWorkspace() = default;

std::optional<RunningApplication> ReportedWorkspace::frontmostApplication() {
    return frontmost_;
}

void ReportedWorkspace::take(const ActiveWindowReport& report) {
    reported_ = true;
    if (report.nothingActive) {
        frontmost_.reset();
        return;
    }
    auto application = resolve(factsOf(report));
    frontmost_ = application;
    activated(std::move(application));
}

bool ReportedWorkspace::awaitFirstReport() {
    const GSourcePtr deadline(
        g_timeout_source_new(static_cast<guint>(firstReportTimeout_.count())));
    g_source_set_callback(
        deadline.get(), [](gpointer) { return G_SOURCE_REMOVE; }, nullptr, nullptr);
    g_source_attach(deadline.get(), nullptr);
    awaiting_ = true;
    while (!reported_ && !heldLoss_ && !startupSignals_->arrived() &&
           !g_source_is_destroyed(deadline.get())) {
        g_main_context_iteration(nullptr, TRUE);
    }
    awaiting_ = false;
    startupSignals_.reset();
    if (heldLoss_) {
        g_source_attach(heldLoss_.get(), nullptr);
    }
    return reported_;
}

// The caller's handler may count on its own loop running (to quit it, say), so a loss taken
// while awaiting is held until that loop runs.
void ReportedWorkspace::lose(const std::string& reason) {
    if (!awaiting_) {
        lost(reason);
        return;
    }
    heldLossReason_ = reason;
    heldLoss_.reset(g_idle_source_new());
    g_source_set_callback(
        heldLoss_.get(),
        [](gpointer self) {
            auto& workspace = *static_cast<ReportedWorkspace*>(self);
            workspace.lose(workspace.heldLossReason_);
            return G_SOURCE_REMOVE;
        },
        this, nullptr);
}

}  // namespace dorvane
