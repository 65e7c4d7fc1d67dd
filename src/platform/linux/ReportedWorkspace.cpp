#include "platform/linux/ReportedWorkspace.hpp"

#include <string_view>
#include <utility>

#include "platform/linux/FocusReportEndpoint.hpp"

namespace dorvane {
namespace {

std::optional<std::string> unlessEmpty(std::string_view text) {
    return text.empty() ? std::nullopt : std::optional<std::string>(text);
}

// The compositor's match comes first; the window's class finds the entry when it matched none.
WindowFacts factsOf(const ActiveWindowReport& report) {
    std::string_view desktopId = report.desktopId;
    if (desktopId.ends_with(".desktop")) {
        desktopId.remove_suffix(std::string_view(".desktop").size());
    }
    WindowFacts facts;
    facts.appId = unlessEmpty(desktopId);
    facts.wmClassClass = unlessEmpty(report.windowClass);
    facts.title = unlessEmpty(report.title);
    return facts;
}

}  // namespace

std::unique_ptr<ReportedWorkspace> ReportedWorkspace::open(const std::string& compositorName,
                                                           LossHandler onLost,
                                                           std::string& failure) {
    std::unique_ptr<ReportedWorkspace> workspace(new ReportedWorkspace);
    auto* self = workspace.get();
    workspace->endpoint_ = FocusReportEndpoint::open(
        compositorName, [self](const ActiveWindowReport& report) { self->take(report); },
        std::move(onLost), failure);
    if (!workspace->endpoint_) {
        return nullptr;
    }
    return workspace;
}

ReportedWorkspace::~ReportedWorkspace() = default;

std::optional<RunningApplication> ReportedWorkspace::frontmostApplication() {
    return frontmost_;
}

void ReportedWorkspace::observeActivations(ActivationHandler handler) {
    handler_ = std::move(handler);
}

void ReportedWorkspace::take(const ActiveWindowReport& report) {
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

}  // namespace dorvane
