// The X11 workspace on a private X server: the activations it delivers, the applications it
// identifies, and a lost display.
#include "platform/linux/x11/X11Workspace.hpp"

#include <glib.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "DesktopEntries.hpp"
#include "support/Eventually.hpp"
#include "support/TempDir.hpp"
#include "testbed/XDesktop.hpp"
#include "testbed/XTestClient.hpp"

namespace dorvane {
namespace {

using namespace std::chrono_literals;
using namespace std::string_literals;
using test::DesktopEntries;
using test::eventually;
using test::XDesktop;
using test::XTestClient;

constexpr auto eventTimeout = 10s;

testing::Environment* const desktopEntries = testing::AddGlobalTestEnvironment(new DesktopEntries({
    {"com.slack.Slack", "Slack", "Slack"},
    {"google-chrome", "Google Chrome", ""},
    {"org.example.Sandboxed", "Sandboxed", ""},
}));

const RunningApplication slack{"com.slack.Slack", "Slack"};
const RunningApplication chrome{"google-chrome", "Google Chrome"};
const RunningApplication unlisted{"Unlisted", "Unlisted"};
const RunningApplication sandboxed{"org.example.Sandboxed", "Sandboxed"};

// Runs what the default main context has ready, without blocking. Bounded, so that a source that
// stays ready for ever fails the test instead of hanging it.
void iterateMainContext() {
    for (int dispatches = 0; dispatches < 100 && g_main_context_iteration(nullptr, FALSE);
         ++dispatches) {
    }
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
        client_ = std::make_unique<XTestClient>(desktop_->display());
        setenv("DISPLAY", desktop_->display().c_str(), 1);
        workspace_ =
            X11Workspace::open([this](const std::string& reason) { losses_.push_back(reason); });
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

    bool iterateUntilDelivering(const RunningApplication& application) {
        return eventually(
            [&] {
                iterateMainContext();
                return !delivered_.empty() && delivered_.back() == application;
            },
            eventTimeout);
    }

    // Iterating after a round trip on the workspace's connection handles every event the server
    // sent before the reply, so changes made before this call have been seen afterwards.
    void iterateUntilSeen() {
        workspace_->frontmostApplication();
        iterateMainContext();
    }

    // Outlives the desktop, whose clients may run inside it.
    test::TempDir sandboxRoot_;
    std::unique_ptr<XDesktop> desktop_;
    std::unique_ptr<XTestClient> client_;
    XDesktop::WindowId slackWindow_ = 0;
    XDesktop::WindowId chromeWindow_ = 0;
    XDesktop::WindowId unlistedWindow_ = 0;
    std::unique_ptr<X11Workspace> workspace_;
    std::vector<std::optional<RunningApplication>> delivered_;
    std::vector<std::string> losses_;
};

TEST_F(X11WorkspaceTest, ActivationDeliversTheActivatedApplication) {
    const std::vector<std::pair<XDesktop::WindowId, RunningApplication>> switches = {
        {slackWindow_, slack},   {chromeWindow_, chrome}, {unlistedWindow_, unlisted},
        {chromeWindow_, chrome}, {slackWindow_, slack},
    };
    for (const auto& [window, application] : switches) {
        delivered_.clear();
        desktop_->activate(window);
        ASSERT_TRUE(iterateUntilDelivering(application))
            << "activating " << *application.bundleIdentifier;
        EXPECT_EQ(workspace_->frontmostApplication(), application);
        // openbox clears the active window before naming the next one; no delivery may lack a name.
        for (const auto& delivery : delivered_) {
            EXPECT_TRUE(delivery && delivery->bundleIdentifier);
        }
    }
}

TEST_F(X11WorkspaceTest, NoActiveWindowIsNeitherDeliveredNorFrontmost) {
    client_->setActiveWindow({XCB_WINDOW_NONE});
    iterateUntilSeen();
    EXPECT_TRUE(delivered_.empty());
    EXPECT_EQ(workspace_->frontmostApplication(), std::nullopt);

    client_->setActiveWindow({chromeWindow_});
    ASSERT_TRUE(iterateUntilDelivered(1));
    EXPECT_EQ(delivered_, (std::vector<std::optional<RunningApplication>>{chrome}));
}

TEST_F(X11WorkspaceTest, ChangesReadTogetherMakeOneActivation) {
    client_->setActiveWindow(
        {XCB_WINDOW_NONE, slackWindow_, XCB_WINDOW_NONE, chromeWindow_, chromeWindow_});
    iterateUntilSeen();
    EXPECT_EQ(delivered_, (std::vector<std::optional<RunningApplication>>{chrome}));
}

TEST_F(X11WorkspaceTest, ReusedWindowIdIsIdentifiedAfresh) {
    const xcb_window_t window = client_->newWindowId();
    client_->createWindow(window, "STRING", "slack\0Slack\0"s);
    client_->setActiveWindow({window});
    ASSERT_TRUE(iterateUntilDelivering(slack));

    // As when the server hands a closed client's IDs to the next client.
    client_->destroyWindow(window);
    client_->createWindow(window, "STRING", "google-chrome\0Google-chrome\0"s);
    client_->setActiveWindow({window});
    EXPECT_EQ(workspace_->frontmostApplication(), chrome);
    EXPECT_TRUE(iterateUntilDelivering(chrome));
}

TEST_F(X11WorkspaceTest, WindowClassBecomesUtf8) {
    const struct {
        std::string type;
        std::string wmClass;
        std::string name;
    } windows[] = {
        {"STRING", "caf\xe9\0Caf\xe9\0"s, "Caf\xc3\xa9"},
        {"UTF8_STRING", "caf\xc3\xa9\0Caf\xc3\xa9\0"s, "Caf\xc3\xa9"},
        {"UTF8_STRING", "caf\xff\0Caf\xff\0"s, "Caf\xef\xbf\xbd"},
    };
    for (const auto& [type, wmClass, name] : windows) {
        const xcb_window_t window = client_->newWindowId();
        client_->createWindow(window, type, wmClass);
        client_->setActiveWindow({window});
        EXPECT_TRUE(iterateUntilDelivering({name, name})) << type << " " << name;
    }
}

// A sandbox with a root of its own, as Flatpak makes one, around a client that claims another
// process's PID in _NET_WM_PID: only the server's view of the client finds the sandbox.
TEST_F(X11WorkspaceTest, SandboxIsFoundThroughTheClientsRealProcess) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "a private root for the client needs root";
    }
    test::writeFile(sandboxRoot_ / ".flatpak-info", "[Application]\nname=org.example.Sandboxed\n");
    std::filesystem::create_directory(sandboxRoot_ / "usr");
    for (const std::string merged : {"bin", "lib", "lib64"}) {
        std::filesystem::create_directory_symlink("usr/" + merged, sandboxRoot_ / merged);
    }
    // The X server's socket, as Flatpak shares it: newer X servers listen on no abstract socket.
    std::filesystem::create_directories(sandboxRoot_ / "tmp/.X11-unix");
    const auto window = desktop_->startClient(
        {"unshare", "--mount", "sh", "-c",
         "mount --rbind /usr \"$0/usr\" && mount --bind /tmp/.X11-unix \"$0/tmp/.X11-unix\" && "
         "exec chroot \"$0\" xmessage -title sandboxwin hello",
         sandboxRoot_.path()},
        "sandboxwin");
    client_->setWmPid(window, static_cast<uint32_t>(getpid()));
    desktop_->activate(window);
    EXPECT_TRUE(iterateUntilDelivering(sandboxed));
}

TEST_F(X11WorkspaceTest, LostDisplayIsReportedOnceAndStopsTheWatch) {
    desktop_.reset();
    EXPECT_TRUE(eventually(
        [&] {
            iterateMainContext();
            return !g_main_context_pending(nullptr);
        },
        eventTimeout));
    EXPECT_EQ(losses_, std::vector<std::string>{"lost the connection to the X server"});
    EXPECT_EQ(workspace_->frontmostApplication(), std::nullopt);
}

TEST(X11WorkspaceOpen, NoDisplayIsReported) {
    unsetenv("DISPLAY");
    EXPECT_EQ(X11Workspace::open({}), nullptr);
}

}  // namespace
}  // namespace dorvane
