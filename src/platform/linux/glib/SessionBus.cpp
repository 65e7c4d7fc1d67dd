#include "platform/linux/glib/SessionBus.hpp"

namespace dorvane {

GObjectPtr<GDBusConnection> connectToSessionBus(std::string& failure) {
    GError* raw = nullptr;
    GObjectPtr<GDBusConnection> bus(g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &raw));
    const GErrorPtr error(raw);
    if (!bus) {
        failure = std::string("cannot reach the session bus: ") + error->message;
    }
    return bus;
}

GVariantPtr callMethod(GDBusConnection* bus, const char* service, const char* path,
                       const char* interface, const char* method, GVariant* parameters,
                       const char* replyType, std::string* error,
                       std::chrono::milliseconds timeout) {
    GError* raw = nullptr;
    GVariantPtr reply(g_dbus_connection_call_sync(
        bus, service, path, interface, method, parameters, G_VARIANT_TYPE(replyType),
        G_DBUS_CALL_FLAGS_NO_AUTO_START, static_cast<gint>(timeout.count()), nullptr, &raw));
    const GErrorPtr failure(raw);
    if (failure && error != nullptr) {
        *error = failure->message;
    }
    return reply;
}

GVariantPtr callBus(GDBusConnection* bus, const char* method, GVariant* parameters,
                    const char* replyType, std::string* error) {
    return callMethod(bus, busDaemonName, busDaemonPath, busDaemonName, method, parameters,
                      replyType, error);
}

}  // namespace dorvane
