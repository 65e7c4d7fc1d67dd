// The companion's start on a Wayland display that accepts a connection and never answers, as a
// hung compositor does: it gives up within a few seconds, with one line, rather than hanging.
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <map>
#include <stdexcept>
#include <string>

#include "support/Process.hpp"
#include "support/TempDir.hpp"
#include "testbed/CompanionHome.hpp"
#include "testbed/DBusSession.hpp"

namespace dorvane::test {
namespace {

// Listens, so that connections succeed, but never accepts one.
class SilentSocket {
public:
    explicit SilentSocket(const std::filesystem::path& path)
        : descriptor_(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
        if (::bind(descriptor_, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) !=
                0 ||
            ::listen(descriptor_, 8) != 0) {
            throw std::runtime_error("cannot listen on " + path.string());
        }
    }
    ~SilentSocket() { ::close(descriptor_); }
    SilentSocket(const SilentSocket&) = delete;
    SilentSocket& operator=(const SilentSocket&) = delete;

private:
    int descriptor_;
};

TEST(WaylandStart, ADisplayThatNeverAnswersEndsTheStartWithOneLine) {
    const TempDir folder;
    const auto display = folder / "wayland-silent";
    const SilentSocket silent(display);
    const DBusSession bus;
    const CompanionHome home;
    std::map<std::string, std::string> environment = {
        {"WAYLAND_DISPLAY", display}, {"DISPLAY", ""}, {"XDG_CURRENT_DESKTOP", ""}};
    environment.merge(bus.environment());
    environment.merge(home.environment());

    const auto result = runCommand({DORVANE_BINARY}, environment);

    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "dorvane: no desktop to follow: the Wayland compositor at " +
                              display.string() +
                              " did not answer within 3 s, and org.kde.KWin is not on the session "
                              "bus, and org.gnome.Shell is not on the session bus, and DISPLAY is "
                              "not set\n");
}

}  // namespace
}  // namespace dorvane::test
