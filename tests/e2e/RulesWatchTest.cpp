// The real companion and a saved rules file: the pad follows the save, and a broken save is
// explained in one desktop notification, through a recording notification server.
#include <gtest/gtest.h>

#include <fstream>
#include <thread>

#include "support/Eventually.hpp"
#include "testbed/NotificationServer.hpp"
#include "testbed/X11Session.hpp"

namespace dorvane::test {
namespace {

using namespace std::chrono_literals;

class RulesWatchTest : public ::testing::Test {
protected:
    X11Session session;
    RecordingNotificationServer notifications{session.bus.address()};
    std::string padReceives(const std::string& expected) { return session.padReceives(expected); }
};

TEST_F(RulesWatchTest, ASavedRuleSwitchesThePadAndABrokenSaveIsNotifiedOnce) {
    writeFile(session.rulesFile(), "cursor: Slack\n");
    session.launch(DORVANE_BINARY, session.slack);
    ASSERT_EQ(padReceives("OS linux\nLAYER cursor\n"), "OS linux\nLAYER cursor\n");

    saveByRename(session.rulesFile(), "chrome: Slack\n");
    EXPECT_EQ(padReceives("LAYER chrome\n"), "LAYER chrome\n");

    // In place, and with what a server reading markup would take for a tag.
    writeFile(session.rulesFile(), "# mine\n<figma>: Slack\n");
    ASSERT_TRUE(eventually([&] { return !notifications.received().empty(); }, 5s));
    const ReceivedNotification shown = notifications.received().front();
    EXPECT_EQ(shown.appName, "Dorvane");
    EXPECT_EQ(shown.summary, "The app rules file has a mistake");
    EXPECT_EQ(shown.body,
              "apps.txt, line 2: Unknown profile slot: &lt;figma&gt;. The previous rules stay in "
              "force.");
    ASSERT_TRUE(shown.appIcon.starts_with("file:///")) << shown.appIcon;
    EXPECT_TRUE(std::filesystem::exists(shown.appIcon.substr(7))) << shown.appIcon;

    // Every tick reads the broken file again, and a save of the same text comes on top.
    saveByRename(session.rulesFile(), "# mine\n<figma>: Slack\n");
    EXPECT_FALSE(eventually([&] { return notifications.received().size() > 1; }, 1500ms));
    // Written in place in two parts, each closed, the first alone broken: only the whole counts.
    writeFile(session.rulesFile(), "cur");
    std::this_thread::sleep_for(20ms);
    std::ofstream(session.rulesFile(), std::ios::app) << "sor: Slack\n";
    EXPECT_EQ(padReceives("LAYER cursor\n"), "LAYER cursor\n");

    saveByRename(session.rulesFile(), "slack: Slack\n");
    EXPECT_EQ(padReceives("LAYER slack\n"), "LAYER slack\n");
    EXPECT_EQ(notifications.received().size(), 1u);
}

}  // namespace
}  // namespace dorvane::test
