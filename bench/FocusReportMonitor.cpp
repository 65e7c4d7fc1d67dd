#include "FocusReportMonitor.hpp"

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <stdexcept>

#include "testbed/DBusSession.hpp"

namespace dorvane::test {
namespace {

// What the KWin script and the GNOME Shell extension call, as they name it.
constexpr const char* reportInterface = "app.dorvane.Companion1";
constexpr const char* reportMethod = "ReportActiveWindow";

bool isReport(GDBusMessage* message) {
    return g_dbus_message_get_message_type(message) == G_DBUS_MESSAGE_TYPE_METHOD_CALL &&
           g_strcmp0(g_dbus_message_get_interface(message), reportInterface) == 0 &&
           g_strcmp0(g_dbus_message_get_member(message), reportMethod) == 0;
}

// A report that no window is active does not close a switch.
bool namesAWindow(GDBusMessage* message) {
    GVariant* body = g_dbus_message_get_body(message);
    if (body == nullptr || !g_variant_is_of_type(body, G_VARIANT_TYPE("(ssssb)"))) {
        return false;
    }
    gboolean nothingActive = TRUE;
    g_variant_get_child(body, 4, "b", &nothingActive);
    return nothingActive == FALSE;
}

}  // namespace

// The filter is in place before the connection becomes a monitor, and a monitor may send
// nothing: every call it is shown is dropped before GDBus could answer it.
FocusReportMonitor::FocusReportMonitor(const std::string& busAddress)
    : connection_(connectToBus(busAddress)), wake_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {
    filter_ = g_dbus_connection_add_filter(connection_.get(), stamp, this, nullptr);
    const std::string rule = std::string("type='method_call',interface='") + reportInterface +
                             "',member='" + reportMethod + "'";
    const gchar* rules[] = {rule.c_str(), nullptr};
    GError* raw = nullptr;
    const GVariantPtr reply(g_dbus_connection_call_sync(
        connection_.get(), "org.freedesktop.DBus", "/org/freedesktop/DBus",
        "org.freedesktop.DBus.Monitoring", "BecomeMonitor", g_variant_new("(^asu)", rules, 0u),
        nullptr, G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, &raw));
    const GErrorPtr error(raw);
    if (!reply) {
        throw std::runtime_error(std::string("the bus refused a monitor: ") + error->message);
    }
}

// Closed first: the filter runs on GDBus's own thread, which reads nothing once it is.
FocusReportMonitor::~FocusReportMonitor() {
    g_dbus_connection_close_sync(connection_.get(), nullptr, nullptr);
    g_dbus_connection_remove_filter(connection_.get(), filter_);
    close(wake_);
}

std::string FocusReportMonitor::what() const {
    return "D-Bus monitor, the same ReportActiveWindow call";
}

std::optional<BareObserver::Clock::time_point> FocusReportMonitor::arrival(
    Clock::time_point since) {
    std::uint64_t count = 0;
    [[maybe_unused]] const auto consumed = read(wake_, &count, sizeof count);
    const std::lock_guard lock(mutex_);
    const auto first = std::find_if(reports_.begin(), reports_.end(),
                                    [since](Clock::time_point report) { return report >= since; });
    std::optional<Clock::time_point> arrived;
    if (first != reports_.end()) {
        arrived = *first;
    }
    reports_.clear();
    return arrived;
}

GDBusMessage* FocusReportMonitor::stamp(GDBusConnection*, GDBusMessage* message, gboolean incoming,
                                        gpointer self) {
    const auto now = Clock::now();
    if (!incoming || g_dbus_message_get_message_type(message) != G_DBUS_MESSAGE_TYPE_METHOD_CALL) {
        return message;
    }
    if (isReport(message) && namesAWindow(message)) {
        auto& monitor = *static_cast<FocusReportMonitor*>(self);
        {
            const std::lock_guard lock(monitor.mutex_);
            monitor.reports_.push_back(now);
        }
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto written = write(monitor.wake_, &one, sizeof one);
    }
    g_object_unref(message);
    return nullptr;
}

}  // namespace dorvane::test
