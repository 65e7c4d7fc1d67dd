#pragma once

#include <gio/gio.h>
#include <sys/types.h>

#include <functional>
#include <memory>
#include <string>

#include "platform/linux/glib/GLibHandles.hpp"
#include "platform/linux/workspace/ActiveWindowReport.hpp"
#include "platform/linux/workspace/WorkspaceLossHandler.hpp"

namespace dorvane {

// The companion's place on the session bus where the compositor reports the active window:
//   name       app.dorvane.Companion
//   object     /app/dorvane/Companion
//   interface  app.dorvane.Companion1
//   method     ReportActiveWindow(s desktop_id, s app_name, s window_class, s title,
//                                 b nothing_active)
// Only the compositor may call it: the connection that owned the compositor's own name when this
// opened, if its process serves the session's Wayland display, and only while it keeps the name;
// any other sender gets org.freedesktop.DBus.Error.AccessDenied. That keeps out direct calls,
// impostors of the compositor and heirs of its name, but not code the compositor runs for another
// program (a KWin script's callDBus), which comes from the compositor's own connection.
class FocusReportEndpoint {
public:
    static constexpr const char* busName = "app.dorvane.Companion";
    static constexpr const char* objectPath = "/app/dorvane/Companion";

    using ReportHandler = std::function<void(const ActiveWindowReport&)>;

    // Exports the object and takes the name before returning, so that a report sent as soon as
    // this returns arrives. None, with `failure` set, when `trustedName` has no owner, when its
    // owner is not the compositor of the display that `displayServer` serves, or when the
    // companion's name is already taken. Any later change of the owner is a loss, for `onLost`.
    static std::unique_ptr<FocusReportEndpoint> open(const std::string& trustedName,
                                                     pid_t displayServer, ReportHandler onReport,
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
    bool trustedOwnerServes(pid_t displayServer, std::string& failure);

    static void onCall(GDBusConnection*, const gchar* sender, const gchar*, const gchar*,
                       const gchar* method, GVariant* parameters, GDBusMethodInvocation* invocation,
                       gpointer self);
    static void onOwnerChanged(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                               const gchar*, GVariant* parameters, gpointer self);

    GObjectPtr<GDBusConnection> bus_;
    std::string trustedName_;
    std::string trustedOwner_;  // the unique name that owned trustedName_ first; empty once lost
    ReportHandler onReport_;
    WorkspaceLossHandler onLost_;
    guint registration_ = 0;
    guint ownerSubscription_ = 0;
    bool ownsName_ = false;
};

}  // namespace dorvane
