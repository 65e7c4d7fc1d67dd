#include "app/Frontmost.hpp"
#include "platform/linux/CompanionOnBus.hpp"
#include "platform/linux/WorkspaceFactory.hpp"
#include "platform/linux/glib/WatchLoop.hpp"
#include "platform/linux/status/CompanionFrontmost.hpp"
#include "platform/linux/workspace/FocusReportEndpoint.hpp"

namespace dorvane {
namespace {

// The backend the companion would choose, on a GLib loop of its own.
class LinuxFrontmostSource final : public FrontmostSource {
public:
    // The loop is there before the workspace opens, which may load a script into the desktop: a
    // signal while it starts lets the run that follows end at once, unloading it.
    explicit LinuxFrontmostSource(std::ostream& err)
        : chosen_(openWorkspace(
              err, [this, &err](const std::string& reason) { loop_.lose(err, reason); })) {}

    bool opened() const { return chosen_.workspace != nullptr; }

    std::string backend() const override { return chosen_.backend; }
    Workspace& workspace() override { return *chosen_.workspace; }

    int runUntilInterrupted() override { return loop_.run(); }
    void stopWatching() override { loop_.stop(); }

private:
    WatchLoop loop_;
    ChosenWorkspace chosen_;
};

}  // namespace

std::unique_ptr<FrontmostSource> openFrontmostSource(std::ostream& err) {
    if (companionHoldsReportName(WorkspaceEnvironment::ofProcess())) {
        auto client = StatusClient::open(err);
        if (!client) {
            return nullptr;
        }
        // A companion that follows another desktop leaves its reports free to be followed here.
        if (reportsOverBus(client->current().backend)) {
            return companionFrontmost(std::move(client), err);
        }
    }
    auto source = std::make_unique<LinuxFrontmostSource>(err);
    if (!source->opened()) {
        return nullptr;
    }
    return source;
}

}  // namespace dorvane
