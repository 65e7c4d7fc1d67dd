#pragma once

#include <gio/gio.h>

#include <mutex>
#include <string>
#include <vector>

#include "BareObserver.hpp"
#include "platform/linux/glib/GLibHandles.hpp"

namespace dorvane::test {

// A bare D-Bus listener on the bus at `busAddress`: a monitor connection that receives each
// report of the active window that the compositor's script or extension sends the companion, the
// same message, as the bus passes it to both. Stamped on GDBus's own thread as it reads the
// message, where the companion's GDBus reads it too.
class FocusReportMonitor : public BareObserver {
public:
    explicit FocusReportMonitor(const std::string& busAddress);
    ~FocusReportMonitor() override;
    FocusReportMonitor(const FocusReportMonitor&) = delete;
    FocusReportMonitor& operator=(const FocusReportMonitor&) = delete;

    std::string what() const override;
    int descriptor() const override { return wake_; }
    std::optional<Clock::time_point> arrival(Clock::time_point since) override;

private:
    static GDBusMessage* stamp(GDBusConnection*, GDBusMessage* message, gboolean incoming,
                               gpointer self);

    GObjectPtr<GDBusConnection> connection_;
    int wake_;  // an eventfd, readable once a report has come
    guint filter_ = 0;
    std::mutex mutex_;
    std::vector<Clock::time_point> reports_;
};

}  // namespace dorvane::test
