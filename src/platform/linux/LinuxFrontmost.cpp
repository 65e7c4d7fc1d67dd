#include <csignal>

#include "app/Frontmost.hpp"
#include "platform/linux/CompanionOnBus.hpp"
#include "platform/linux/WorkspaceFactory.hpp"
#include "platform/linux/glib/GLibMainLoop.hpp"
#include "platform/linux/status/CompanionFrontmost.hpp"
#include "platform/linux/workspace/FocusReportEndpoint.hpp"

namespace dorvane {
namespace {

// The backend the companion would choose, on a GLib loop of its own.
class LinuxFrontmostSource final : public FrontmostSource {
public:
    explicit LinuxFrontmostSource(std::ostream& err) {
        // A write to a reader that has gone then fails, and the watch ends through its cleanup
        // rather than by the signal, which would leave KWin's script loaded.
        std::signal(SIGPIPE, SIG_IGN);
        // Before the workspace opens, which may load a script into the desktop: a signal while it
        // starts lets the run that follows end at once, unloading it.
        mainLoop_.onQuitSignals([this] { mainLoop_.terminate(); });
        chosen_ = openWorkspace(err, [this, &err](const std::string& reason) {
            err << "dorvane: " << reason << '\n';
            exitCode_ = 1;
            mainLoop_.terminate();
        });
    }

    bool opened() const { return chosen_.workspace != nullptr; }

    std::string backend() const override { return chosen_.backend; }
    Workspace& workspace() override { return *chosen_.workspace; }

    int runUntilInterrupted() override {
        mainLoop_.run();
        return exitCode_;
    }

    void stopWatching() override { mainLoop_.terminate(); }

private:
    GLibMainLoop mainLoop_;
    int exitCode_ = 0;
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
