#include "platform/linux/kwin/KWinWorkspace.hpp"

#include <chrono>
#include <utility>

#include "platform/linux/kwin/KWinBusName.hpp"
#include "platform/linux/kwin/KWinScript.hpp"
#include "platform/linux/workspace/ReportedWorkspace.hpp"

namespace dorvane {
namespace {

// The script reports within milliseconds of running; a KWin too busy for this much is taken to
// report later, and the pad follows from then on.
constexpr ReportingCompositor kwin{kwinBusName, std::chrono::seconds{2}};

}  // namespace

BackendStart KWinWorkspace::open(WorkspaceLossHandler onLost) {
    std::string failure;
    auto reports = ReportedWorkspace::open(kwin, std::move(onLost), failure);
    if (!reports) {
        return {nullptr, failure};
    }
    std::unique_ptr<KWinWorkspace> workspace(new KWinWorkspace(std::move(reports)));
    workspace->script_ = KWinScript::load(failure);
    if (!workspace->script_) {
        return {nullptr, failure};
    }
    workspace->reports_->awaitFirstReport();
    return {std::move(workspace), {}};
}

KWinWorkspace::KWinWorkspace(std::unique_ptr<ReportedWorkspace> reports)
    : reports_(std::move(reports)) {}

KWinWorkspace::~KWinWorkspace() = default;

std::optional<RunningApplication> KWinWorkspace::frontmostApplication() {
    return reports_->frontmostApplication();
}

void KWinWorkspace::observeActivations(ActivationHandler handler) {
    reports_->observeActivations(std::move(handler));
}

}  // namespace dorvane
