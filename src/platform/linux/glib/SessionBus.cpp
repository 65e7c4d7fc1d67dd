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

NameRequest requestName(GDBusConnection* bus, const char* name, std::string& failure) {
    // DBUS_NAME_FLAG_DO_NOT_QUEUE, and the replies that mean the name is this connection's.
    constexpr guint32 doNotQueue = 4;
    constexpr guint32 primaryOwner = 1;
    constexpr guint32 alreadyOwner = 4;
    std::string error;
    const auto reply =
        callBus(bus, "RequestName", g_variant_new("(su)", name, doNotQueue), "(u)", &error);
    guint32 result = 0;
    if (reply) {
        g_variant_get(reply.get(), "(u)", &result);
    }
    if (result == primaryOwner) {
        return NameRequest::granted;
    }
    if (result == alreadyOwner) {
        return NameRequest::alreadyOurs;
    }
    failure =
        std::string(name) + " is taken on the session bus" + (error.empty() ? "" : ": " + error);
    return NameRequest::refused;
}

}  // namespace dorvane
