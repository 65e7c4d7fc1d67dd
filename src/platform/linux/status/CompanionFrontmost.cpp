#include "platform/linux/status/CompanionFrontmost.hpp"

#include "platform/linux/glib/WatchLoop.hpp"
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
        client_->observe(
            [this](const CompanionStatus& status) { workspace_.statusChanged(status); },
            [this, &err] { loop_.lose(err, "the companion has quit"); });
    }

    std::string backend() const override { return client_->current().backend; }
    Workspace& workspace() override { return workspace_; }

    int runUntilInterrupted() override { return loop_.run(); }
    void stopWatching() override { loop_.stop(); }

private:
    WatchLoop loop_;
    std::unique_ptr<StatusClient> client_;
    CompanionWorkspace workspace_;
};

}  // namespace

std::unique_ptr<FrontmostSource> companionFrontmost(std::unique_ptr<StatusClient> client,
                                                    std::ostream& err) {
    return std::make_unique<CompanionFrontmostSource>(std::move(client), err);
}

}  // namespace dorvane
