// The real companion on a private GNOME Shell with an emulated pad: the extension that
// `dorvane gnome-extension install` put in place reports each focused window, and the pad must
// follow; without the extension the companion runs on and says how to install it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>

#include "support/Eventually.hpp"
#include "support/GnomeShellSession.hpp"
#include "support/StatusNotifierClient.hpp"

namespace dorvane::test {
namespace {

using namespace std::chrono_literals;
using Extension = GnomeShellSession::Extension;

class GnomeShellTest : public ::testing::Test {
protected:
    // False, with the test skipped, where there is no GNOME Shell to run.
    bool start(Extension extension = Extension::installed) {
        if (!GnomeShellDesktop::available()) {
            return false;
        }
        session = std::make_unique<GnomeShellSession>(extension);
        return true;
    }

    void launchWithChromeInFront() {
        session->launch(DORVANE_BINARY, GnomeShellSession::chrome);
        ASSERT_EQ(padReceives("OS linux\nLAYER chrome\n"), "OS linux\nLAYER chrome\n");
    }

    std::string padReceives(const std::string& expected) { return session->padReceives(expected); }

    std::unique_ptr<GnomeShellSession> session;
};

#define START_OR_SKIP(...)                                                                       \
    if (!start(__VA_ARGS__)) {                                                                   \
        GTEST_SKIP() << "needs gnome-shell, python3-gi and root (scripts/install-deps installs " \
                        "the packages)";                                                         \
    }

TEST_F(GnomeShellTest, ThePadFollowsTheFocusThroughTheExtension) {
    START_OR_SKIP();
    launchWithChromeInFront();

    struct Step {
        const char* appId;
        std::string line;
    };
    const Step steps[] = {
        // GNOME names com.slack.Slack by its StartupWMClass, the window's app ID.
        {GnomeShellSession::slack, "LAYER slack\n"},
        // A window-backed app: no desktop entry.
        {GnomeShellSession::figma, "LAYER general\n"},
        {GnomeShellSession::chrome, "LAYER chrome\n"},
    };
    for (const Step& step : steps) {
        session->desktop().activate(step.appId);
        EXPECT_EQ(padReceives(step.line), step.line) << step.appId;
    }
}

TEST_F(GnomeShellTest, AReportFromAnotherConnectionIsRefused) {
    START_OR_SKIP();
    launchWithChromeInFront();

    GDBusConnection* spoofer = connectToBus(session->bus.address());
    GError* error = nullptr;
    GVariant* reply = g_dbus_connection_call_sync(
        spoofer, "app.dorvane.Companion", "/app/dorvane/Companion", "app.dorvane.Companion1",
        "ReportActiveWindow",
        g_variant_new("(ssssb)", "com.slack.Slack.desktop", "Slack", "slack", "Slack", FALSE),
        nullptr, G_DBUS_CALL_FLAGS_NONE, -1, nullptr, &error);
    ASSERT_EQ(reply, nullptr);
    gchar* remote = g_dbus_error_get_remote_error(error);
    EXPECT_STREQ(remote, "org.freedesktop.DBus.Error.AccessDenied");
    g_free(remote);
    g_error_free(error);
    g_object_unref(spoofer);

    // Had the spoof been taken, "LAYER slack" would come first.
    session->desktop().activate(GnomeShellSession::figma);
    EXPECT_EQ(padReceives("LAYER general\n"), "LAYER general\n");
}

TEST_F(GnomeShellTest, FrontmostPrintsTheFocusedApplicationAsRulesSeeIt) {
    START_OR_SKIP();
    session->desktop().activate(GnomeShellSession::slack);

    const auto result = runCommand({DORVANE_BINARY, "frontmost"}, session->environment());

    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "gnome\tcom.slack.Slack\tSlack\n");
}

TEST_F(GnomeShellTest, WithoutTheExtensionTheCompanionRunsOnAndSaysHowToInstallIt) {
    START_OR_SKIP(Extension::absent);
    session->launch(DORVANE_BINARY, GnomeShellSession::chrome);
    EXPECT_EQ(padReceives("OS linux\nLAYER general\n"), "OS linux\nLAYER general\n");

    EXPECT_TRUE(eventually([&] { return session->notifications.received().size() == 1; }, 5s));
    EXPECT_EQ(session->notifications.received().at(0).appName, "Dorvane");
    EXPECT_EQ(session->companionErrors(),
              "dorvane: GNOME Shell needs the Dorvane extension to tell which application is in "
              "front: run \"dorvane gnome-extension install\", then log out and back in.\n");
    // No tray host shows the item here, but the companion exports its menu all the same.
    StatusNotifierClient tray(session->bus.address());
    ASSERT_TRUE(
        tray.waitForItemAt("app.dorvane.Companion", "/org/ayatana/NotificationItem/dorvane", 5s));
    std::vector<std::string> labels;
    for (const auto& item : tray.menu()) {
        labels.push_back(item.label);
    }
    EXPECT_THAT(labels, ::testing::Contains("Frontmost: \u2014"));
    EXPECT_EQ(session->companion().waitFor(0ms), std::nullopt);
}

}  // namespace
}  // namespace dorvane::test
