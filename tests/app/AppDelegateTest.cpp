// Scenarios for the controller: fakes for the desktop, a real link over pseudo-terminals that a
// fake registry offers as the pad while it is "plugged in".
#include "app/AppDelegate.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "support/Eventually.hpp"
#include "support/FakeRegistry.hpp"
#include "support/Pty.hpp"
#include "support/TempDir.hpp"

namespace dorvane::test {
namespace {

using namespace std::chrono_literals;

class FakeWorkspace final : public Workspace {
public:
    std::optional<RunningApplication> frontmost;

    std::optional<RunningApplication> frontmostApplication() override { return frontmost; }
    void observeActivations(ActivationHandler handler) override { handler_ = std::move(handler); }

    // The application comes to the front and the platform says so.
    void activate(const RunningApplication& app) {
        frontmost = app;
        handler_(app);
    }
    void activateUnnamed() { handler_(std::nullopt); }

private:
    ActivationHandler handler_;
};

class FakeMainLoop final : public MainLoop {
public:
    std::function<void()> onTerminate = [] {};

    void startRepeatingTimer(std::function<void()> tick) override { tick_ = std::move(tick); }
    void terminate() override { onTerminate(); }
    void fire() { tick_(); }

private:
    std::function<void()> tick_;
};

class RecordingStatusItem final : public StatusItem {
public:
    ActionHandler choose;  // the user picks a menu item
    std::vector<MenuModel> menus;

    void create(ActionHandler onAction) override { choose = std::move(onAction); }
    void show(const MenuModel& menu) override {
        EXPECT_TRUE(choose) << "the menu was rebuilt before the status item existed";
        menus.push_back(menu);
    }
};

const RunningApplication chrome{"com.google.Chrome", "Google Chrome"};
const RunningApplication chromium{"com.google.Chrome.beta", "Chrome Beta"};
const RunningApplication slack{"com.tinyspeck.slackmacgap", "Slack"};
const RunningApplication cursor{"com.todesktop.230313mzl4w4u92", "Cursor"};
const RunningApplication terminal{"org.gnome.Terminal", "Terminal"};

class AppDelegateTest : public ::testing::Test {
protected:
    TempDir folder;
    LayerMap layerMap{folder / "apps.txt"};  // no file: the built-in rules decide
    FakeRegistry registry;
    FakeWorkspace workspace;
    RecordingStatusItem statusItem;
    FakeMainLoop mainLoop;
    std::unique_ptr<Pty> pad;
    AppDelegate delegate{registry, layerMap, workspace, statusItem, mainLoop};

    void plugIn() {
        pad = std::make_unique<Pty>();
        registry.services = {serial(pad->slavePath(), usbDevice(0x303A, "Dorvane Pad"))};
    }
    void unplug() {
        registry.services.clear();
        pad->closeMaster();
    }
    // Everything the pad received since the last call.
    std::string received() { return pad->read(4096, 200ms); }
};

TEST_F(AppDelegateTest, LaunchWithThePadGreetsThenSendsTheSlotOnce) {
    plugIn();
    workspace.frontmost = chrome;

    delegate.applicationDidFinishLaunching();
    mainLoop.fire();

    EXPECT_EQ(received(), "OS linux\nLAYER chrome\n");
    EXPECT_EQ(delegate.frontmostName(), "Google Chrome");
    ASSERT_FALSE(statusItem.menus.empty());
    EXPECT_EQ(statusItem.menus.back(),
              menuModelFor({"chrome", "Google Chrome", false, true, pad->slavePath()}));
}

TEST_F(AppDelegateTest, PadPluggedInLaterGetsGreetingThenTheLastLayerWithinOneTick) {
    workspace.frontmost = slack;
    delegate.applicationDidFinishLaunching();
    EXPECT_EQ(delegate.lastLayer(), "slack");
    EXPECT_EQ(statusItem.menus.back().items[2].title, "Pad: not found");

    plugIn();
    mainLoop.fire();

    EXPECT_EQ(received(), "OS linux\nLAYER slack\n");
}

TEST_F(AppDelegateTest, SwitchingBetweenApplicationsOfOneSlotSendsNothing) {
    plugIn();
    workspace.frontmost = chrome;
    delegate.applicationDidFinishLaunching();
    received();

    workspace.activate(chromium);
    mainLoop.fire();

    EXPECT_EQ(received(), "");
    EXPECT_EQ(delegate.frontmostName(), "Chrome Beta");
}

TEST_F(AppDelegateTest, ReopeningWhileTheSlotChangedSendsLastLayerFirst) {
    workspace.frontmost = chrome;
    delegate.applicationDidFinishLaunching();

    plugIn();
    workspace.frontmost = cursor;  // no activation arrives: the tick finds the change
    mainLoop.fire();

    EXPECT_EQ(received(), "OS linux\nLAYER chrome\nLAYER cursor\n");
}

TEST_F(AppDelegateTest, DeadPortReplacedWithinOneReconnectIsGreetedButNotResent) {
    plugIn();
    workspace.frontmost = chrome;
    delegate.applicationDidFinishLaunching();
    unplug();
    plugIn();

    mainLoop.fire();

    EXPECT_EQ(received(), "OS linux\n");
    EXPECT_TRUE(delegate.cdc().isOpen());
}

TEST_F(AppDelegateTest, UnplugThenReplugWithoutSwitchingRestoresTheLayer) {
    plugIn();
    workspace.frontmost = slack;
    delegate.applicationDidFinishLaunching();
    unplug();

    mainLoop.fire();
    EXPECT_FALSE(delegate.cdc().isOpen());
    plugIn();
    mainLoop.fire();

    EXPECT_EQ(received(), "OS linux\nLAYER slack\n");
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
    mainLoop.fire();

    EXPECT_EQ(delegate.lastLayer(), "slack");
    EXPECT_EQ(delegate.frontmostName(), "Slack");
    EXPECT_FALSE(delegate.cdc().isOpen());
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

    EXPECT_EQ(received(), "OS linux\nLAYER slack\nLAYER cursor\n");
    EXPECT_FALSE(delegate.paused());
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
    EXPECT_FALSE(delegate.cdc().isOpen());
    workspace.activate(slack);
    pad->read(1 << 20, 200ms);  // the pad reads again, catching up on the filler
    mainLoop.fire();

    EXPECT_EQ(received(), "OS linux\nLAYER slack\n");
}

TEST_F(AppDelegateTest, ActivationWithoutAnApplicationConsidersTheFrontmostOne) {
    workspace.frontmost = slack;
    delegate.applicationDidFinishLaunching();
    workspace.frontmost = cursor;

    workspace.activateUnnamed();

    EXPECT_EQ(delegate.lastLayer(), "cursor");
}

TEST_F(AppDelegateTest, NoFrontmostApplicationMeansGeneralAndADash) {
    workspace.frontmost = chrome;
    delegate.applicationDidFinishLaunching();
    workspace.frontmost.reset();

    mainLoop.fire();

    EXPECT_EQ(delegate.lastLayer(), "general");
    EXPECT_EQ(delegate.frontmostName(), "\u2014");
    workspace.activate(RunningApplication{"org.example.nameless", std::nullopt});
    EXPECT_EQ(delegate.frontmostName(), "\u2014");
    workspace.activate(terminal);
    EXPECT_EQ(delegate.lastLayer(), "general");
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

}  // namespace
}  // namespace dorvane::test
