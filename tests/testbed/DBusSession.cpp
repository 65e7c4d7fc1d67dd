#include "testbed/DBusSession.hpp"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <stdexcept>

#include "support/Eventually.hpp"

namespace dorvane::test {
namespace {

using namespace std::chrono_literals;

// The daemon creates its socket a moment before it listens on it; only a connection that goes
// through shows that clients can connect.
bool accepts(const std::filesystem::path& socketPath) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socketPath.c_str(), sizeof(address.sun_path) - 1);
    const int probe = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const bool connected =
        ::connect(probe, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
    ::close(probe);
    return connected;
}

}  // namespace

DBusSession::DBusSession() {
    const auto socket = folder_ / "bus";
    address_ = "unix:path=" + socket.string();
    daemon_ = std::make_unique<ChildProcess>(std::vector<std::string>{
        "dbus-daemon", "--session", "--nofork", "--nopidfile", "--address=" + address_});
    if (!eventually([&] { return accepts(socket); }, 10s)) {
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
