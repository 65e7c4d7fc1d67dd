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

}  // namespace dorvane::test
