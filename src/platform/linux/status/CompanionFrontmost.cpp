#include "platform/linux/status/CompanionFrontmost.hpp"

#include <csignal>

#include "platform/linux/glib/GLibMainLoop.hpp"
#include "platform/linux/status/StatusClient.hpp"

namespace dorvane {
namespace {

// The application in front as the companion's status gives it.
class CompanionWorkspace final : public Workspace {
public:
    explicit CompanionWorkspace(StatusClient& client) : client_(client) {}

    std::optional<RunningApplication> frontmostApplication() override {
        return client_.current().frontmost;
    }

    void observeActivations(ActivationHandler handler) override { handler_ = std::move(handler); }

    // Tells the handler when the status names another application.
    void statusChanged(const CompanionStatus& status) {
        if (status.frontmost != shown_) {
            shown_ = status.frontmost;
            if (handler_) {
                handler_(shown_);
            }
        }
    }

private:
    StatusClient& client_;
    ActivationHandler handler_;
    std::optional<RunningApplication> shown_ = client_.current().frontmost;
};

class CompanionFrontmostSource final : public FrontmostSource {
public:
    CompanionFrontmostSource(std::unique_ptr<StatusClient> client, std::ostream& err)
        : client_(std::move(client)), workspace_(*client_) {
        // A write to a reader that has gone then fails, and the watch ends with exit code 0.
        std::signal(SIGPIPE, SIG_IGN);
        mainLoop_.onQuitSignals([this] { mainLoop_.terminate(); });
        client_->observe(
            [this](const CompanionStatus& status) { workspace_.statusChanged(status); },
            [this, &err] {
                err << "dorvane: the companion has quit\n";
                exitCode_ = 1;
                mainLoop_.terminate();
            });
    }

    std::string backend() const override { return client_->current().backend; }
    Workspace& workspace() override { return workspace_; }

    int runUntilInterrupted() override {
        mainLoop_.run();
        return exitCode_;
    }

    void stopWatching() override { mainLoop_.terminate(); }

private:
    GLibMainLoop mainLoop_;
    std::unique_ptr<StatusClient> client_;
    CompanionWorkspace workspace_;
    int exitCode_ = 0;
};

}  // namespace

std::unique_ptr<FrontmostSource> companionFrontmost(std::unique_ptr<StatusClient> client,
                                                    std::ostream& err) {
    return std::make_unique<CompanionFrontmostSource>(std::move(client), err);
}

}  // namespace dorvane
