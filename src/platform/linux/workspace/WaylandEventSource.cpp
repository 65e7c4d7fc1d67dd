#include "platform/linux/workspace/WaylandEventSource.hpp"

#include <memory>
#include <optional>
#include <utility>

#include "platform/linux/glib/FdWatch.hpp"
#include "platform/linux/workspace/DisplayLossReasons.hpp"
#include "platform/linux/workspace/WaylandDisplay.hpp"

namespace dorvane {
namespace {

// The read this client announces to libwayland before each poll, and what the poll showed.
class DisplayRead {
public:
    explicit DisplayRead(wl_display* display) : display_(display) {}

    // Whether events are queued already, to be dispatched without polling.
    bool prepare() {
        // GLib skips checking a source when one of higher priority is ready: a read announced
        // then is still pending, and must be withdrawn before another is announced.
        cancel();
        if (wl_display_prepare_read(display_) != 0) {
            return true;
        }
        reading_ = true;
        // A failed flush shows up as a failed read.
        wl_display_flush(display_);
        return false;
    }

    bool check(GIOCondition ready) {
        if (!std::exchange(reading_, false)) {
            return false;
        }
        if ((ready & G_IO_IN) != 0) {
            // An error stays on the display, and dispatch reports it.
            wl_display_read_events(display_);
            return true;
        }
        wl_display_cancel_read(display_);
        if ((ready & (G_IO_ERR | G_IO_HUP)) != 0) {
            hungUp_ = true;
        }
        return hungUp_;
    }

    // Why the connection broke, if it did.
    std::optional<std::string> dispatch() {
        if (hungUp_) {
            return waylandCompositorLost;
        }
        if (wl_display_dispatch_pending(display_) < 0) {
            return waylandConnectionFailure(display_);
        }
        return std::nullopt;
    }

    void cancel() {
        if (std::exchange(reading_, false)) {
            wl_display_cancel_read(display_);
        }
    }

private:
    wl_display* display_;
    bool reading_ = false;
    bool hungUp_ = false;
};

}  // namespace

GSourcePtr attachWaylandEventSource(wl_display* display, const std::string& failure,
                                    WaylandLost lost) {
    auto read = std::make_shared<DisplayRead>(display);
    // GTK's own connection to the same compositor ends the process at once when it sees the
    // compositor go. When both have seen it, this source is checked first and ends in order.
    return watchFd(wl_display_get_fd(display),
                   static_cast<GIOCondition>(G_IO_IN | G_IO_ERR | G_IO_HUP),
                   {.prepare = [read] { return read->prepare(); },
                    .check = [read](GIOCondition ready) { return read->check(ready); },
                    .dispatch =
                        [read, &failure, lost = std::move(lost)] {
                            const auto broken = read->dispatch();
                            if (failure.empty() && !broken) {
                                return true;
                            }
                            lost(failure.empty() ? *broken : failure);
                            return false;
                        },
                    .finalize = [read] { read->cancel(); }},
                   G_PRIORITY_HIGH);
}

}  // namespace dorvane
