#include "platform/linux/X11Workspace.hpp"

#include <glib.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <string>
#include <vector>

#include "DesktopEntries.hpp"
#include "support/Eventually.hpp"
#include "support/XDesktop.hpp"

namespace dorvane {
namespace {

using namespace std::chrono_literals;
using test::DesktopEntries;
using test::eventually;
using test::XDesktop;

constexpr auto eventTimeout = 10s;

testing::Environment* const desktopEntries = testing::AddGlobalTestEnvironment(new DesktopEntries({
    {"com.slack.Slack", "Slack", "Slack"},
    {"google-chrome", "Google Chrome", ""},
}));

const RunningApplication slack{"com.slack.Slack", "Slack"};
const RunningApplication chrome{"google-chrome", "Google Chrome"};
const RunningApplication unlisted{"Unlisted", "Unlisted"};

// Runs what the default main context has ready, without blocking. Bounded, so that a source that
// stays ready for ever fails the test instead of hanging it.
void iterateMainContext() {
    for (int dispatches = 0; dispatches < 100 && g_main_context_iteration(nullptr, FALSE);
         ++dispatches) {
    }
}

// Writes _NET_ACTIVE_WINDOW on the root window itself, as the window manager would, each value in
// turn; returns once the server has applied them.
void setActiveWindowProperty(const std::string& display, const std::vector<xcb_window_t>& values) {
    XcbConnection connection(xcb_connect(display.c_str(), nullptr));
    ASSERT_EQ(xcb_connection_has_error(connection.get()), 0);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection.get())).data->root;
    const std::string name = "_NET_ACTIVE_WINDOW";
    XcbReply<xcb_intern_atom_reply_t> atom(xcb_intern_atom_reply(
        connection.get(), xcb_intern_atom(connection.get(), 0, name.size(), name.c_str()),
        nullptr));
    ASSERT_TRUE(atom);
    for (const xcb_window_t value : values) {
        xcb_change_property(connection.get(), XCB_PROP_MODE_REPLACE, root, atom->atom,
                            XCB_ATOM_WINDOW, 32, 1, &value);
    }
    XcbReply<xcb_get_input_focus_reply_t> sync(xcb_get_input_focus_reply(
        connection.get(), xcb_get_input_focus(connection.get()), nullptr));
}

class X11WorkspaceTest : public testing::Test {
protected:
    void SetUp() override {
        desktop_ = std::make_unique<XDesktop>();
        slackWindow_ = desktop_->startClient("Slack", "slackwin");
        chromeWindow_ = desktop_->startClient("Google-chrome", "chromewin");
        unlistedWindow_ = desktop_->startClient("Unlisted", "unlistedwin");
        // Settles focus, which openbox gives each new window as it maps it.
        desktop_->activate(unlistedWindow_);
        setenv("DISPLAY", desktop_->display().c_str(), 1);
        workspace_ = X11Workspace::open();
        ASSERT_NE(workspace_, nullptr);
        workspace_->observeActivations([this](std::optional<RunningApplication> application) {
            delivered_.push_back(std::move(application));
        });
    }

    void TearDown() override {
        workspace_.reset();
        unsetenv("DISPLAY");
    }

    bool iterateUntilDelivered(std::size_t count) {
        return eventually(
            [&] {
                iterateMainContext();
                return delivered_.size() >= count;
            },
            eventTimeout);
    }

    // Iterating after a round trip on the workspace's connection handles every event the server
    // sent before the reply, so changes made before this call have been seen afterwards.
    void iterateUntilSeen() {
        workspace_->frontmostApplication();
        iterateMainContext();
    }

    std::unique_ptr<XDesktop> desktop_;
    XDesktop::WindowId slackWindow_ = 0;
    XDesktop::WindowId chromeWindow_ = 0;
    XDesktop::WindowId unlistedWindow_ = 0;
    std::unique_ptr<X11Workspace> workspace_;
    std::vector<std::optional<RunningApplication>> delivered_;
};

TEST_F(X11WorkspaceTest, ActivationDeliversTheActivatedApplication) {
    const std::vector<std::pair<XDesktop::WindowId, RunningApplication>> switches = {
        {slackWindow_, slack},   {chromeWindow_, chrome}, {unlistedWindow_, unlisted},
        {chromeWindow_, chrome}, {slackWindow_, slack},
    };
    for (const auto& [window, application] : switches) {
        delivered_.clear();
        desktop_->activate(window);
        ASSERT_TRUE(eventually(
            [&] {
                iterateMainContext();
                return !delivered_.empty() && delivered_.back() == application;
            },
            eventTimeout))
            << "activating " << *application.bundleIdentifier;
        EXPECT_EQ(workspace_->frontmostApplication(), application);
        // openbox clears the active window before naming the next one; no delivery may lack a name.
        for (const auto& delivery : delivered_) {
            EXPECT_TRUE(delivery && delivery->bundleIdentifier);
        }
    }
}

TEST_F(X11WorkspaceTest, NoActiveWindowIsNeitherDeliveredNorFrontmost) {
    setActiveWindowProperty(desktop_->display(), {XCB_WINDOW_NONE});
    iterateUntilSeen();
    EXPECT_TRUE(delivered_.empty());
    EXPECT_EQ(workspace_->frontmostApplication(), std::nullopt);

    setActiveWindowProperty(desktop_->display(), {chromeWindow_});
    ASSERT_TRUE(iterateUntilDelivered(1));
    EXPECT_EQ(delivered_, (std::vector<std::optional<RunningApplication>>{chrome}));
}

TEST_F(X11WorkspaceTest, ChangesReadTogetherMakeOneActivation) {
    setActiveWindowProperty(desktop_->display(), {XCB_WINDOW_NONE, slackWindow_, XCB_WINDOW_NONE,
                                                  chromeWindow_, chromeWindow_});
    iterateUntilSeen();
    EXPECT_EQ(delivered_, (std::vector<std::optional<RunningApplication>>{chrome}));
}

TEST_F(X11WorkspaceTest, LostDisplayStopsTheWatchQuietly) {
    desktop_.reset();
    EXPECT_TRUE(eventually(
        [&] {
            iterateMainContext();
            return !g_main_context_pending(nullptr);
        },
        eventTimeout));
    EXPECT_EQ(workspace_->frontmostApplication(), std::nullopt);
}

TEST(X11WorkspaceOpen, NoDisplayIsReported) {
    unsetenv("DISPLAY");
    EXPECT_EQ(X11Workspace::open(), nullptr);
}

}  // namespace
}  // namespace dorvane
