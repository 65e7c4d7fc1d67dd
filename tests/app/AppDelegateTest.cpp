// Scenarios for the controller: launch, activations, ticks, unplugging, pause and quit.
#include <fcntl.h>
#include <unistd.h>

#include "ControllerFixture.hpp"
#include "support/Eventually.hpp"

namespace dorvane::test {
namespace {

using AppDelegateTest = ControllerTest;

TEST_F(AppDelegateTest, LaunchWithThePadGreetsThenSendsTheSlotOnce) {
    plugIn();
    workspace.frontmost = chrome;

    delegate.applicationDidFinishLaunching();
    mainLoop.fire();

    EXPECT_EQ(received(), greeting + "LAYER chrome\n");
    EXPECT_EQ(delegate.state().frontmostName, "Google Chrome");
    ASSERT_FALSE(statusItem.menus.empty());
    EXPECT_EQ(statusItem.menus.back(),
              menuModelFor({"chrome", "Google Chrome", false, true, pad->slavePath()}));
}

TEST_F(AppDelegateTest, PadPluggedInLaterGetsGreetingThenTheLastLayerWithinOneTick) {
    workspace.frontmost = slack;
    delegate.applicationDidFinishLaunching();
    EXPECT_EQ(delegate.state().lastLayer, "slack");
    EXPECT_EQ(statusItem.menus.back().items[2].title, "Pad: not found");

    plugIn();
    mainLoop.fire();

    EXPECT_EQ(received(), greeting + "LAYER slack\n");
}

TEST_F(AppDelegateTest, SwitchingBetweenApplicationsOfOneSlotSendsNothing) {
    plugIn();
    workspace.frontmost = chrome;
    delegate.applicationDidFinishLaunching();
    received();

    workspace.activate(chromium);
    mainLoop.fire();
    const auto shown = statusItem.menus.size();
    mainLoop.fire();

    EXPECT_EQ(received(), "");
    EXPECT_EQ(delegate.state().frontmostName, "Chrome Beta");
    EXPECT_EQ(statusItem.menus.size(), shown) << "an unchanged menu was shown again";
}

TEST_F(AppDelegateTest, ReopeningWhileTheSlotChangedSendsLastLayerFirst) {
    workspace.frontmost = chrome;
    delegate.applicationDidFinishLaunching();

    plugIn();
    workspace.frontmost = cursor;  // no activation arrives: the tick finds the change
    mainLoop.fire();

    EXPECT_EQ(received(), greeting + "LAYER chrome\nLAYER cursor\n");
}

// A pad replugged between two ticks: the dead port is replaced within one reconnect.
TEST_F(AppDelegateTest, DeadPortReplacedWithinOneReconnectIsGreetedAndToldTheLastLayer) {
    plugIn();
    workspace.frontmost = chrome;
    delegate.applicationDidFinishLaunching();
    unplug();
    plugIn();

    mainLoop.fire();
    mainLoop.fire();

    EXPECT_EQ(received(), greeting + "LAYER chrome\n");
    EXPECT_TRUE(delegate.state().padOpen);
}

TEST_F(AppDelegateTest, UnplugThenReplugWithoutSwitchingRestoresTheLayer) {
    plugIn();
    workspace.frontmost = slack;
    delegate.applicationDidFinishLaunching();
    unplug();

    mainLoop.fire();
    EXPECT_FALSE(delegate.state().padOpen);
    plugIn();
    mainLoop.fire();

    EXPECT_EQ(received(), greeting + "LAYER slack\n");
}

// udev announces one plug-in several times (the USB device, then its port), sometimes twice.
TEST_F(AppDelegateTest, ADeviceEventOpensAClosedLinkAndTellsTheLastLayerOnceWithoutATick) {
    workspace.frontmost = slack;
    delegate.applicationDidFinishLaunching();

    plugIn();
    registry.announce();
    registry.announce();

    EXPECT_EQ(received(), greeting + "LAYER slack\n");
    EXPECT_EQ(statusItem.menus.back().items[2].title, "Pad: " + pad->slavePath());
}

TEST_F(AppDelegateTest, ADeviceEventWhileThePortIsHealthySearchesAndSendsNothing) {
    plugIn();
    workspace.frontmost = chrome;
    delegate.applicationDidFinishLaunching();
    received();
    const int searches = registry.searches();

    registry.announce();

    EXPECT_EQ(registry.searches(), searches);
    EXPECT_EQ(received(), "");
}

TEST_F(AppDelegateTest, AnUnplugEventReleasesTheDeadPortAtOnceAndAPlugInEventRestoresTheLayer) {
    plugIn();
    workspace.frontmost = chrome;
    delegate.applicationDidFinishLaunching();
    received();

    unplug();
    registry.announce();
    EXPECT_FALSE(delegate.state().padOpen);
    EXPECT_EQ(statusItem.menus.back().items[2].title, "Pad: not found");
    plugIn();
    registry.announce();

    EXPECT_EQ(received(), greeting + "LAYER chrome\n");
}

TEST_F(AppDelegateTest, WhilePausedDecisionsGoOnButNothingIsSentOrOpened) {
    plugIn();
    workspace.frontmost = chrome;
    delegate.applicationDidFinishLaunching();
    received();

    statusItem.choose(MenuAction::togglePause);
    EXPECT_TRUE(pad->slaveClosed(1s));
    const int searchesWhenPaused = registry.searches();
    workspace.activate(slack);
    mainLoop.fire();
    registry.announce();
    mainLoop.fire();

    EXPECT_EQ(delegate.state().lastLayer, "slack");
    EXPECT_EQ(delegate.state().frontmostName, "Slack");
    EXPECT_FALSE(delegate.state().padOpen);
    EXPECT_EQ(registry.searches(), searchesWhenPaused);
    EXPECT_EQ(received(), "");
    EXPECT_EQ(statusItem.menus.back().items[2].title, "Pad: paused (port free for configurator)");
}

TEST_F(AppDelegateTest, ResumeGreetsSendsLastLayerThenTheFrontmostSlotIfItDiffers) {
    plugIn();
    workspace.frontmost = chrome;
    delegate.applicationDidFinishLaunching();
    delegate.togglePause();
    workspace.activate(slack);
    workspace.frontmost = cursor;
    received();

    delegate.togglePause();

    EXPECT_EQ(received(), greeting + "LAYER slack\nLAYER cursor\n");
    EXPECT_FALSE(delegate.state().paused);
}

TEST_F(AppDelegateTest, AfterAFailedWriteTheSameSlotIsResentOnlyWhenThePortReopens) {
    plugIn();
    workspace.frontmost = chrome;
    delegate.applicationDidFinishLaunching();
    received();
    // Another writer fills the port's buffer and the pad stops reading: the next line cannot go.
    const int jam = open(pad->slavePath().c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(jam, 0);
    // The kernel frees room in the background for a while, so keep filling until it stops.
    const std::string filler(4096, 'x');
    eventually(
        [&] {
            return write(jam, filler.data(), filler.size()) < 0 && errno == EAGAIN &&
                   write(jam, "x", 1) < 0;
        },
        2s);
    close(jam);

    workspace.activate(slack);
    EXPECT_FALSE(delegate.state().padOpen);
    workspace.activate(slack);
    received();  // the pad reads again, catching up on the filler
    mainLoop.fire();

    EXPECT_EQ(received(), greeting + "LAYER slack\n");
}

TEST_F(AppDelegateTest, ActivationWithoutAnApplicationConsidersTheFrontmostOne) {
    workspace.frontmost = slack;
    delegate.applicationDidFinishLaunching();
    workspace.frontmost = cursor;

    workspace.activateUnnamed();

    EXPECT_EQ(delegate.state().lastLayer, "cursor");
}

TEST_F(AppDelegateTest, NoFrontmostApplicationMeansGeneralAndADash) {
    workspace.frontmost = chrome;
    delegate.applicationDidFinishLaunching();
    workspace.frontmost.reset();

    mainLoop.fire();

    EXPECT_EQ(delegate.state().lastLayer, "general");
    EXPECT_EQ(delegate.state().frontmostName, "\u2014");
    workspace.activate(RunningApplication{"com.tinyspeck.slackmacgap", std::nullopt});
    EXPECT_EQ(delegate.state().frontmostName, "\u2014");
    EXPECT_EQ(delegate.state().lastLayer, "slack");  // a nameless application is still looked up
    workspace.activate(terminal);
    EXPECT_EQ(delegate.state().lastLayer, "general");
}

TEST_F(AppDelegateTest, QuitClosesThePortBeforeTerminating) {
    plugIn();
    workspace.frontmost = chrome;
    delegate.applicationDidFinishLaunching();
    bool closedFirst = false;
    mainLoop.onTerminate = [&] { closedFirst = pad->slaveClosed(0ms); };

    statusItem.choose(MenuAction::quit);

    EXPECT_TRUE(closedFirst);
}

// A watcher of the status is told of changes only: ticks that change nothing wake nobody.
TEST_F(AppDelegateTest, TheStatusIsToldAtEachChangeAndOnlyThen) {
    plugIn();
    workspace.frontmost = chrome;
    const auto sentAt = std::chrono::system_clock::time_point(std::chrono::hours(500000));
    std::vector<CompanionStatus> told;
    delegate.observeStatus(
        "x11", [&](const CompanionStatus& status) { told.push_back(status); },
        [&] { return sentAt; });
    delegate.applicationDidFinishLaunching();
    mainLoop.fire();
    mainLoop.fire();

    ASSERT_EQ(told.size(), 2u);  // before launch, then after its decision
    const LayerMatch builtIn{"chrome",
                             LayerMatch::Source::builtIn,
                             LayerMatch::Item::identifier,
                             LayerMatch::Test::equals,
                             "com.google.chrome",
                             0};
    EXPECT_EQ(
        told.back(),
        (CompanionStatus{"x11", chrome, "chrome", builtIn, (folder / "apps.txt").string(), false,
                         PadState::connected, pad->slavePath(), "LAYER chrome", sentAt}));

    workspace.activate(terminal);
    statusItem.choose(MenuAction::togglePause);
    ASSERT_EQ(told.size(), 4u);
    EXPECT_EQ(told[2].slot, "general");
    EXPECT_EQ(told[2].match, std::nullopt);
    EXPECT_EQ(told[3].pad, PadState::paused);
    EXPECT_EQ(told[3].lastLine, "LAYER general");
}

}  // namespace
}  // namespace dorvane::test
