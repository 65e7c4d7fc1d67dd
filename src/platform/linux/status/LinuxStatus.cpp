#include <csignal>

#include "app/StatusCommand.hpp"
#include "platform/linux/glib/GLibMainLoop.hpp"
#include "platform/linux/status/StatusClient.hpp"

namespace dorvane {
namespace {

// The companion's status over the session bus, watched on a GLib loop of its own.
class BusStatusSource final : public StatusSource {
public:
    BusStatusSource(std::unique_ptr<StatusClient> client, std::ostream& err)
        : client_(std::move(client)), err_(err) {
        // A write to a reader that has gone then fails, and the watch ends with exit code 0.
        std::signal(SIGPIPE, SIG_IGN);
        mainLoop_.onQuitSignals([this] { mainLoop_.terminate(); });
    }

    const CompanionStatus& current() const override { return client_->current(); }

    void observeChanges(ChangeHandler handler) override {
        client_->observe(std::move(handler), [this] {
            err_ << "dorvane: the companion has quit\n";
            exitCode_ = 1;
            mainLoop_.terminate();
        });
    }

    int runUntilInterrupted() override {
        mainLoop_.run();
        return exitCode_;
    }

    void stopWatching() override { mainLoop_.terminate(); }

private:
    GLibMainLoop mainLoop_;
    std::unique_ptr<StatusClient> client_;
    std::ostream& err_;
    int exitCode_ = 0;
};

}  // namespace

std::unique_ptr<StatusSource> openStatusSource(std::ostream& err) {
    auto client = StatusClient::open(err);
    if (!client) {
        return nullptr;
    }
    return std::make_unique<BusStatusSource>(std::move(client), err);
}

}  // namespace dorvane
