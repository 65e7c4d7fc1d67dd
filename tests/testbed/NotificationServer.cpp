#include "testbed/NotificationServer.hpp"

#include <stdexcept>

#include "testbed/DBusSession.hpp"

namespace dorvane::test {
namespace {

constexpr const char* serverName = "org.freedesktop.Notifications";

constexpr const char* introspection = R"(
<node>
  <interface name="org.freedesktop.Notifications">
    <method name="Notify">
      <arg type="s" direction="in"/><arg type="u" direction="in"/><arg type="s" direction="in"/>
      <arg type="s" direction="in"/><arg type="s" direction="in"/><arg type="as" direction="in"/>
      <arg type="a{sv}" direction="in"/><arg type="i" direction="in"/>
      <arg type="u" direction="out"/>
    </method>
    <method name="GetCapabilities"><arg type="as" direction="out"/></method>
    <method name="GetServerInformation">
      <arg type="s" direction="out"/><arg type="s" direction="out"/>
      <arg type="s" direction="out"/><arg type="s" direction="out"/>
    </method>
    <method name="CloseNotification"><arg type="u" direction="in"/></method>
  </interface>
</node>)";

[[noreturn]] void fail(const std::string& what, GError* error) {
    const std::string message = what + ": " + (error ? error->message : "unknown error");
    g_clear_error(&error);
    throw std::runtime_error(message);
}

}  // namespace

RecordingNotificationServer::RecordingNotificationServer(const std::string& busAddress)
    : connection_(connectToBus(busAddress)), context_(g_main_context_new()) {
    // Calls to the object are dispatched on the context that is the default at registration.
    g_main_context_push_thread_default(context_);
    GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(introspection, nullptr);
    static const GDBusInterfaceVTable vtable{methodCall, nullptr, nullptr, {}};
    registration_ =
        g_dbus_connection_register_object(connection_, "/org/freedesktop/Notifications",
                                          node->interfaces[0], &vtable, this, nullptr, nullptr);
    g_dbus_node_info_unref(node);
    g_main_context_pop_thread_default(context_);
    requestName();
}

RecordingNotificationServer::~RecordingNotificationServer() {
    g_dbus_connection_unregister_object(connection_, registration_);
    g_dbus_connection_close_sync(connection_, nullptr, nullptr);
    g_object_unref(connection_);
    while (g_main_context_iteration(context_, FALSE)) {
    }
    g_main_context_unref(context_);
}

// Returns once the name is ours, so that a sender started afterwards finds the server.
void RecordingNotificationServer::requestName() {
    constexpr guint32 doNotQueue = 4;
    constexpr guint32 primaryOwner = 1;
    GError* error = nullptr;
    GVariant* reply = g_dbus_connection_call_sync(
        connection_, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
        "RequestName", g_variant_new("(su)", serverName, doNotQueue), G_VARIANT_TYPE("(u)"),
        G_DBUS_CALL_FLAGS_NONE, -1, nullptr, &error);
    if (reply == nullptr) {
        fail("cannot own the notification server's name", error);
    }
    guint32 result = 0;
    g_variant_get(reply, "(u)", &result);
    g_variant_unref(reply);
    if (result != primaryOwner) {
        throw std::runtime_error("another notification server owns the name");
    }
}

const std::vector<ReceivedNotification>& RecordingNotificationServer::received() {
    while (g_main_context_iteration(context_, FALSE)) {
    }
    return received_;
}

void RecordingNotificationServer::methodCall(GDBusConnection*, const gchar*, const gchar*,
                                             const gchar*, const gchar* methodName,
                                             GVariant* parameters,
                                             GDBusMethodInvocation* invocation, gpointer self) {
    auto& server = *static_cast<RecordingNotificationServer*>(self);
    const std::string method = methodName;
    if (method == "Notify") {
        const gchar* appName = nullptr;
        const gchar* appIcon = nullptr;
        const gchar* summary = nullptr;
        const gchar* body = nullptr;
        guint32 replacesId = 0;
        g_variant_get(parameters, "(&su&s&s&s@as@a{sv}i)", &appName, &replacesId, &appIcon,
                      &summary, &body, nullptr, nullptr, nullptr);
        server.received_.push_back({appName, replacesId, appIcon, summary, body});
        const auto id = static_cast<guint32>(server.received_.size());
        g_dbus_method_invocation_return_value(invocation, g_variant_new("(u)", id));
    } else if (method == "GetCapabilities") {
        const gchar* capabilities[] = {"body", "body-markup", nullptr};
        g_dbus_method_invocation_return_value(invocation, g_variant_new("(^as)", capabilities));
    } else if (method == "GetServerInformation") {
        g_dbus_method_invocation_return_value(
            invocation, g_variant_new("(ssss)", "recorder", "dorvane tests", "1", "1.2"));
    } else {
        g_dbus_method_invocation_return_value(invocation, nullptr);
    }
}

}  // namespace dorvane::test
