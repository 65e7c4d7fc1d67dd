#include "app/StatusCommand.hpp"
#include "platform/linux/glib/WatchLoop.hpp"
#include "platform/linux/status/StatusClient.hpp"

namespace dorvane {
namespace {

// The companion's status over the session bus, watched on a GLib loop of its own.
class BusStatusSource final : public StatusSource {
public:
    BusStatusSource(std::unique_ptr<StatusClient> client, std::ostream& err)
        : client_(std::move(client)), err_(err) {}

    const CompanionStatus& current() const override { return client_->current(); }

    void observeChanges(ChangeHandler handler) override {
        client_->observe(std::move(handler),
                         [this] { loop_.lose(err_, "the companion has quit"); });
    }

    int runUntilInterrupted() override { return loop_.run(); }
    void stopWatching() override { loop_.stop(); }

private:
    WatchLoop loop_;
    std::unique_ptr<StatusClient> client_;
    std::ostream& err_;
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
