#include "support/DBusSession.hpp"

#include <filesystem>
#include <stdexcept>

#include "support/Eventually.hpp"

namespace dorvane::test {

using namespace std::chrono_literals;

DBusSession::DBusSession() {
    const auto socket = folder_ / "bus";
    address_ = "unix:path=" + socket.string();
    daemon_ = std::make_unique<ChildProcess>(std::vector<std::string>{
        "dbus-daemon", "--session", "--nofork", "--nopidfile", "--address=" + address_});
    if (!eventually([&] { return std::filesystem::exists(socket); }, 10s)) {
        throw std::runtime_error("dbus-daemon did not start");
    }
}

GDBusConnection* connectToBus(const std::string& address) {
    GError* error = nullptr;
    GDBusConnection* connection = g_dbus_connection_new_for_address_sync(
        address.c_str(),
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, &error);
    if (connection == nullptr) {
        const std::string message = error->message;
        g_error_free(error);
        throw std::runtime_error("cannot reach the session bus: " + message);
    }
    return connection;
}

}  // namespace dorvane::test
