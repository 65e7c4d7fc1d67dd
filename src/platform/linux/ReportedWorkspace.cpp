#include "platform/linux/ReportedWorkspace.hpp"

#include <string_view>
#include <utility>

#include "platform/linux/FocusReportEndpoint.hpp"
#include "platform/linux/GLibHandles.hpp"
#include "platform/linux/WaylandDisplay.hpp"

namespace dorvane {
namespace {

std::optional<std::string> unlessEmpty(std::string_view text) {
    return text.empty() ? std::nullopt : std::optional<std::string>(text);
}

// The compositor's match comes first; the window's class finds the entry when it matched none.
WindowFacts factsOf(const ActiveWindowReport& report) {
    WindowFacts facts;
    facts.appId = unlessEmpty(withoutDesktopSuffix(report.desktopId));
    facts.wmClassClass = unlessEmpty(report.windowClass);
    facts.title = unlessEmpty(report.title);
    return facts;
}

}  // namespace

std::unique_ptr<ReportedWorkspace> ReportedWorkspace::open(const std::string& compositorName,
                                                           WorkspaceLossHandler onLost,
                                                           std::string& failure) {
    // A compositor that reports over the bus is one this session's display leads to. Without a
    // display there is no such session, and the bus is not even asked: GIO would try to start one.
    if (!connectToWaylandDisplay(failure)) {
        return nullptr;
    }
    std::unique_ptr<ReportedWorkspace> workspace(new ReportedWorkspace(std::move(onLost)));
    auto* self = workspace.get();
    workspace->endpoint_ = FocusReportEndpoint::open(
        compositorName, [self](const ActiveWindowReport& report) { self->take(report); },
        [self](const std::string& reason) { self->lose(reason); }, failure);
    if (!workspace->endpoint_) {
        return nullptr;
    }
    return workspace;
}

ReportedWorkspace::ReportedWorkspace(WorkspaceLossHandler onLost) : onLost_(std::move(onLost)) {}

ReportedWorkspace::~ReportedWorkspace() = default;

std::optional<RunningApplication> ReportedWorkspace::frontmostApplication() {
    return frontmost_;
}

void ReportedWorkspace::observeActivations(ActivationHandler handler) {
    handler_ = std::move(handler);
}

void ReportedWorkspace::take(const ActiveWindowReport& report) {
    reported_ = true;
    if (report.nothingActive) {
        frontmost_.reset();
        return;
    }
    auto application = resolver_.resolve(factsOf(report));
    // With no desktop entry the class names the application; the compositor may know better.
    if (!report.appName.empty() && application.localizedName == report.windowClass) {
        application.localizedName = report.appName;
    }
    frontmost_ = application;
    if (handler_) {
        handler_(std::move(application));
    }
}

bool ReportedWorkspace::awaitFirstReport(std::chrono::milliseconds timeout) {
    const GSourcePtr deadline(g_timeout_source_new(static_cast<guint>(timeout.count())));
    g_source_set_callback(
        deadline.get(), [](gpointer) { return G_SOURCE_REMOVE; }, nullptr, nullptr);
    g_source_attach(deadline.get(), nullptr);
    awaiting_ = true;
    while (!reported_ && !heldLoss_ && !g_source_is_destroyed(deadline.get())) {
        g_main_context_iteration(nullptr, TRUE);
    }
    awaiting_ = false;
    if (heldLoss_) {
        g_source_attach(heldLoss_.get(), nullptr);
    }
    return reported_;
}

// The caller's handler may count on its own loop running (to quit it, say), so a loss taken
// while awaiting is held until that loop runs.
void ReportedWorkspace::lose(const std::string& reason) {
    if (!awaiting_) {
        if (onLost_) {
            onLost_(reason);
        }
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
