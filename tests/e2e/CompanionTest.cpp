// The real companion on a private X11 desktop with an emulated pad: windows of different
// applications come to the front, and the pad must follow.
#include <gtest/gtest.h>
#include <signal.h>

#include <thread>

#include "support/CompanionSession.hpp"
#include "support/Pty.hpp"

namespace dorvane::test {
namespace {

using namespace std::chrono_literals;

class CompanionTest : public ::testing::Test {
protected:
    CompanionSession session;

    void launchWith(XDesktop::WindowId frontmost) { session.launch(DORVANE_BINARY, frontmost); }
    std::string padReceives(const std::string& expected, std::chrono::milliseconds timeout = 5s) {
        return session.padReceives(expected, timeout);
    }
};

TEST_F(CompanionTest, FollowsTheFrontmostApplicationThroughItsDesktopEntry) {
    const auto terminal = session.desktop.startClient("XTerm", "termwin");
    launchWith(session.chrome);
    EXPECT_EQ(padReceives("OS linux\nLAYER chrome\n"), "OS linux\nLAYER chrome\n");

    session.desktop.activate(session.slack);
    EXPECT_EQ(padReceives("LAYER slack\n"), "LAYER slack\n");

    session.desktop.activate(session.figma);
    EXPECT_EQ(padReceives("LAYER general\n"), "LAYER general\n");
    session.desktop.activate(terminal);  // another application of the same slot
    EXPECT_EQ(padReceives("x", 1500ms), "");
}

TEST_F(CompanionTest, AnEditOfTheRulesFileTakesEffectWithinASecond) {
    launchWith(session.slack);
    ASSERT_EQ(padReceives("OS linux\nLAYER slack\n"), "OS linux\nLAYER slack\n");

    writeFile(session.rulesFile(), "cursor: Slack\n");

    EXPECT_EQ(padReceives("LAYER cursor\n", 3s), "LAYER cursor\n");
}

TEST_F(CompanionTest, AReplugRestoresTheLastLayer) {
    launchWith(session.chrome);
    ASSERT_EQ(padReceives("OS linux\nLAYER chrome\n"), "OS linux\nLAYER chrome\n");
    session.testbed.unplug("/sys/devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0/tty/ttyACM0",
                           "/dev/ttyACM0");
    session.desktop.activate(session.slack);  // decided while the pad is away
    std::this_thread::sleep_for(1500ms);

    // Back under a new number, as the kernel does while the old one is still held.
    session.testbed.plugIn(DORVANE_SOURCE_DIR "/tests/e2e/data/pad-replugged.umockdev");
    session.padPluggedInAs("/dev/ttyACM1");

    EXPECT_EQ(padReceives("OS linux\nLAYER slack\n"), "OS linux\nLAYER slack\n");
}

TEST_F(CompanionTest, SigtermReleasesThePortAndExitsCleanly) {
    launchWith(session.chrome);
    ASSERT_EQ(padReceives("OS linux\nLAYER chrome\n"), "OS linux\nLAYER chrome\n");

    session.companion().signal(SIGTERM);

    EXPECT_EQ(session.companion().waitFor(5s), 0);
    EXPECT_TRUE(slaveClosed(session.pad(), 1s));
}

}  // namespace
}  // namespace dorvane::test
