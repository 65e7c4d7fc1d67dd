// The real companion on a private GNOME Shell with an emulated pad: the extension that
// `dorvane gnome-extension install` put in place reports each focused window, and the pad must
// follow; without a running extension the companion runs on and says what mends it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>

#include "support/Eventually.hpp"
#include "testbed/BusNameClaim.hpp"
#include "testbed/GnomeShellSession.hpp"
#include "testbed/StatusNotifierClient.hpp"

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

struct ExtensionProblemCase {
    const char* name;
    Extension extension;
    std::string command;  // the one that mends it
    // What else the message must hold, as the shell itself gives it.
    std::function<std::string(GnomeShellDesktop&)> fact;
};

// Names the case in ctest's list rather than dumping its bytes.
void PrintTo(const ExtensionProblemCase& problem, std::ostream* out) {
    *out << problem.name;
}

class ExtensionProblem : public GnomeShellTest,
                         public ::testing::WithParamInterface<ExtensionProblemCase> {};

TEST_P(ExtensionProblem, TheCompanionRunsOnAndSaysOnceWhatMendsIt) {
    START_OR_SKIP(GetParam().extension);
    session->launch(DORVANE_BINARY, GnomeShellSession::chrome);
    EXPECT_EQ(padReceives("OS linux\nLAYER general\n"), "OS linux\nLAYER general\n");

    ASSERT_TRUE(eventually([&] { return session->notifications.received().size() == 1; }, 5s));
    const auto fact = GetParam().fact(session->desktop());
    const auto notification = session->notifications.received().at(0);
    EXPECT_EQ(notification.appName, "Dorvane");
    EXPECT_THAT(notification.body, ::testing::HasSubstr(fact));
    // One line; the notification's body is the same, escaped for a server that reads markup.
    const auto line = session->companionErrors();
    EXPECT_THAT(line, ::testing::MatchesRegex("dorvane: [^\n]*\n"));
    EXPECT_THAT(line, ::testing::HasSubstr("run \"" + GetParam().command + "\""));
    EXPECT_THAT(line, ::testing::HasSubstr(fact));
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

const std::string reinstall = "dorvane gnome-extension install";

INSTANTIATE_TEST_SUITE_P(
    GnomeShell, ExtensionProblem,
    ::testing::Values(
        ExtensionProblemCase{"Absent", Extension::absent, reinstall,
                             [](GnomeShellDesktop&) { return "needs the Dorvane extension"; }},
        ExtensionProblemCase{"Disabled", Extension::disabled,
                             "gnome-extensions enable dorvane@dorvane.app",
                             [](GnomeShellDesktop&) { return "installed but turned off"; }},
        ExtensionProblemCase{
            "OutOfDate", Extension::outOfDate, reinstall,
            [](GnomeShellDesktop& shell) { return "GNOME Shell " + shell.version() + " "; }},
        ExtensionProblemCase{"Broken", Extension::broken, reinstall,
                             [](GnomeShellDesktop& shell) {
                                 return shell.extensionInfo(GnomeShellSession::extensionUuid).error;
                             }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(GnomeShellTest, AnExtensionTurnedOnLaterReportsWithoutAnotherWord) {
    START_OR_SKIP(Extension::disabled);
    session->launch(DORVANE_BINARY, GnomeShellSession::chrome);
    ASSERT_EQ(padReceives("OS linux\nLAYER general\n"), "OS linux\nLAYER general\n");
    ASSERT_TRUE(eventually([&] { return session->notifications.received().size() == 1; }, 5s));

    session->desktop().enableExtension(GnomeShellSession::extensionUuid);

    EXPECT_EQ(padReceives("LAYER chrome\n"), "LAYER chrome\n");
    session->desktop().activate(GnomeShellSession::slack);
    EXPECT_EQ(padReceives("LAYER slack\n"), "LAYER slack\n");
    EXPECT_EQ(session->notifications.received().size(), 1u);
}

// KWin is tried before GNOME Shell unless the session names its desktop; here nothing names it.
TEST_F(GnomeShellTest, AnImpostorOfKWinIsNeitherTrustedNorSentItsScript) {
    START_OR_SKIP();
    session->desktop().activate(GnomeShellSession::slack);
    const BusNameClaim impostor(session->bus.address(), "org.kde.KWin", BusNameClaim::Wait::no,
                                "org.kde.kwin.Scripting");
    ASSERT_TRUE(impostor.ownsName());
    auto environment = session->environment();
    environment["XDG_CURRENT_DESKTOP"] = "";

    const auto followed = runCommand({DORVANE_BINARY, "frontmost"}, environment);
    EXPECT_EQ(followed.out, "gnome\tcom.slack.Slack\tSlack\n") << followed.err;

    environment["DORVANE_WORKSPACE"] = "kwin";
    const auto forced = runCommand({DORVANE_BINARY, "frontmost"}, environment);
    EXPECT_EQ(forced.exitCode, 1);
    EXPECT_EQ(forced.err,
              "dorvane: DORVANE_WORKSPACE=kwin: org.kde.KWin on the session bus is not the "
              "Wayland compositor at " +
                  environment.at("WAYLAND_DISPLAY") + "\n");
    EXPECT_EQ(impostor.countedCalls(), 0);
}

}  // namespace
}  // namespace dorvane::test
