#pragma once

#include <gio/gio.h>

#include <functional>
#include <memory>
#include <string>

#include "platform/linux/GLibHandles.hpp"
#include "platform/linux/WorkspaceBackend.hpp"

namespace dorvane {

struct ActiveWindowReport;

// The companion's place on the session bus where the compositor reports the active window:
//   name       app.dorvane.Companion
//   object     /app/dorvane/Companion
//   interface  app.dorvane.Companion1
//   method     ReportActiveWindow(s desktop_id, s app_name, s window_class, s title,
//                                 b nothing_active)
// Only the connection that owns the compositor's own name may call it; any other sender gets
// org.freedesktop.DBus.Error.AccessDenied, so no other program on the session steers the pad.
class FocusReportEndpoint {
public:
    static constexpr const char* busName = "app.dorvane.Companion";
    static constexpr const char* objectPath = "/app/dorvane/Companion";
    static constexpr const char* interfaceName = "app.dorvane.Companion1";

    using ReportHandler = std::function<void(const ActiveWindowReport&)>;

    // Exports the object and takes the name before returning, so that a report sent as soon as
    // this returns arrives. None, with `failure` set, when `trustedName` has no owner or the
    // companion's name is already taken.
    static std::unique_ptr<FocusReportEndpoint> open(const std::string& trustedName,
                                                     ReportHandler onReport,
                                                     WorkspaceLossHandler onLost,
                                                     std::string& failure);

    ~FocusReportEndpoint();
    FocusReportEndpoint(const FocusReportEndpoint&) = delete;
    FocusReportEndpoint& operator=(const FocusReportEndpoint&) = delete;

private:
    FocusReportEndpoint(GObjectPtr<GDBusConnection> bus, std::string trustedName,
                        ReportHandler onReport, WorkspaceLossHandler onLost);

    bool exportObject(std::string& failure);
    bool takeName(std::string& failure);
    bool followTrustedOwner(std::string& failure);

    static void onCall(GDBusConnection*, const gchar* sender, const gchar*, const gchar*,
                       const gchar* method, GVariant* parameters, GDBusMethodInvocation* invocation,
                       gpointer self);
    static void onOwnerChanged(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                               const gchar*, GVariant* parameters, gpointer self);

    GObjectPtr<GDBusConnection> bus_;
    std::string trustedName_;
    std::string trustedOwner_;  // the unique name that owns trustedName_ now
    ReportHandler onReport_;
    WorkspaceLossHandler onLost_;
    guint registration_ = 0;
    guint ownerSubscription_ = 0;
    bool ownsName_ = false;
};

}  // namespace dorvane
