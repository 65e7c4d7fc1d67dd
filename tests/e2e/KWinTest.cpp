// The real companion on a private KWin with an emulated pad: the script it loads into KWin
// reports each activation, and the pad must follow; nothing else on the bus may steer it, a
// crashed companion's successor finds one script loaded, its own, and only its own is ever run;
// no way out of the companion or of a watch leaves a script behind.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <signal.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>

#include "support/Eventually.hpp"
#include "support/Pty.hpp"
#include "support/TempDir.hpp"
#include "testbed/BusNameClaim.hpp"
#include "testbed/KWinSession.hpp"

namespace dorvane::test {
namespace {

using namespace std::chrono_literals;

constexpr const char* focusScript = "dorvane-focus";

class KWinTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!KWinDesktop::available()) {
            GTEST_SKIP() << "kwin_wayland or python3-gi is not installed (scripts/install-deps "
                            "installs both)";
        }
        session = std::make_unique<KWinSession>();
    }

    std::string padReceives(const std::string& expected) { return session->padReceives(expected); }

    std::unique_ptr<KWinSession> session;
};

TEST_F(KWinTest, ThePadFollowsTheActiveWindowThroughDesktopEntries) {
    session->launch(DORVANE_BINARY, KWinSession::chrome);
    ASSERT_EQ(padReceives("OS linux\nLAYER chrome\n"), "OS linux\nLAYER chrome\n");

    struct Step {
        const char* appId;
        std::string line;
    };
    const Step steps[] = {
        {KWinSession::slack, "LAYER slack\n"},
        {KWinSession::figma, "LAYER general\n"},
        {KWinSession::cursor, "LAYER cursor\n"},
        {KWinSession::chrome, "LAYER chrome\n"},
    };
    for (const Step& step : steps) {
        session->desktop.activate(step.appId);
        EXPECT_EQ(padReceives(step.line), step.line) << step.appId;
    }

    // Nothing active: the tick finds nothing in front.
    session->desktop.deactivate();
    EXPECT_EQ(padReceives("LAYER general\n"), "LAYER general\n");
}

TEST_F(KWinTest, OnlyKWinSteersThePad) {
    session->launch(DORVANE_BINARY, KWinSession::chrome);
    ASSERT_EQ(padReceives("OS linux\nLAYER chrome\n"), "OS linux\nLAYER chrome\n");

    const auto spoofed = runCommand(
        {"gdbus", "call", "--session", "--dest", "app.dorvane.Companion", "--object-path",
         "/app/dorvane/Companion", "--method", "app.dorvane.Companion1.ReportActiveWindow",
         "com.slack.Slack", "Slack", "Slack", "Slack", "false"},
        session->environment());
    EXPECT_NE(spoofed.exitCode, 0);
    EXPECT_NE(spoofed.err.find("org.freedesktop.DBus.Error.AccessDenied"), std::string::npos)
        << spoofed.err;

    // Had the spoofed report been taken, its slot would come first.
    session->desktop.activate(KWinSession::figma);
    EXPECT_EQ(padReceives("LAYER general\n"), "LAYER general\n");
}

TEST_F(KWinTest, ACrashedCompanionsSuccessorRunsTheOnlyScriptAndUnloadsItOnSigterm) {
    session->launch(DORVANE_BINARY, KWinSession::chrome);
    ASSERT_EQ(padReceives("OS linux\nLAYER chrome\n"), "OS linux\nLAYER chrome\n");
    session->companion().signal(SIGKILL);
    session->companion().waitFor(5s);
    ASSERT_TRUE(session->desktop.isScriptLoaded(focusScript));

    session->launch(DORVANE_BINARY, KWinSession::slack);
    ASSERT_EQ(padReceives("OS linux\nLAYER slack\n"), "OS linux\nLAYER slack\n");
    EXPECT_EQ(session->desktop.loadedScripts(), 1);
    EXPECT_TRUE(session->desktop.isScriptLoaded(focusScript));
    session->desktop.activate(KWinSession::chrome);
    EXPECT_EQ(padReceives("LAYER chrome\n"), "LAYER chrome\n");

    session->companion().signal(SIGTERM);
    EXPECT_EQ(session->companion().waitFor(5s), 0) << session->companionErrors();
    EXPECT_EQ(session->desktop.loadedScripts(), 0);
    EXPECT_FALSE(std::filesystem::exists(session->companionRuntime() / "dorvane-focus.js"));
}

TEST_F(KWinTest, TheScriptUnderANumberKWinGaveTwiceIsNeverRun) {
    session->desktop.freeScriptNumberBelowLoadedScript();

    session->launch(DORVANE_BINARY);

    EXPECT_EQ(session->companion().waitFor(10s), 1);
    EXPECT_THAT(session->companionErrors(),
                ::testing::HasSubstr("KWin filed its script under number 1, which another "
                                     "loaded script already has"));
    EXPECT_FALSE(session->desktop.isScriptLoaded(focusScript));
}

// Wherever in start-up the signal lands, what was loaded into KWin goes again.
TEST_F(KWinTest, ASigtermWhileStartingUnloadsTheScriptAndExits0) {
    session->launch(DORVANE_BINARY, KWinSession::chrome);
    const auto script = session->companionRuntime() / "dorvane-focus.js";
    ASSERT_TRUE(eventually([&] { return std::filesystem::exists(script); }, 10s));

    session->companion().signal(SIGTERM);

    EXPECT_EQ(session->companion().waitFor(5s), 0) << session->companionErrors();
    EXPECT_FALSE(session->desktop.isScriptLoaded(focusScript));
    EXPECT_FALSE(std::filesystem::exists(script));
}

TEST_F(KWinTest, QuitDoesNotWaitForAHungKWinAndItsScriptGoesWhenKWinWakes) {
    session->launch(DORVANE_BINARY, KWinSession::chrome);
    ASSERT_EQ(padReceives("OS linux\nLAYER chrome\n"), "OS linux\nLAYER chrome\n");

    session->desktop.freeze();
    session->companion().signal(SIGTERM);
    // Still frozen: a quit that waited for KWin's answer would not have ended (the bus call's
    // own limit is 5 s).
    const auto exitCode = session->companion().waitFor(4s);
    session->desktop.thaw();

    EXPECT_EQ(exitCode, 0) << session->companionErrors();
    EXPECT_TRUE(eventually([&] { return !session->desktop.isScriptLoaded(focusScript); }, 5s));
}

TEST_F(KWinTest, AWatchWhoseReaderLeftExits0AndUnloadsTheScript) {
    session->desktop.activate(KWinSession::slack);
    const auto firstLine = session->companionRuntime() / "first-line";
    ChildProcess watch(
        {"bash", "-c", "\"$0\" frontmost --watch | head -1 >\"$1\"; exit \"${PIPESTATUS[0]}\"",
         DORVANE_BINARY, firstLine},
        session->environment());
    ASSERT_TRUE(
        eventually([&] { return readFile(firstLine) == "kwin\tcom.slack.Slack\tSlack\n"; }, 10s));

    // The watch learns that its reader left when it next writes.
    bool toChrome = true;
    const bool ended = eventually(
        [&] {
            session->desktop.activate(toChrome ? KWinSession::chrome : KWinSession::slack);
            toChrome = !toChrome;
            return watch.waitFor(200ms).has_value();
        },
        10s);

    ASSERT_TRUE(ended);
    EXPECT_EQ(watch.waitFor(0ms), 0);
    EXPECT_FALSE(session->desktop.isScriptLoaded(focusScript));
}

TEST_F(KWinTest, ALostKWinEndsTheCompanionWithOneLineAndExit1) {
    session->launch(DORVANE_BINARY, KWinSession::slack);
    ASSERT_EQ(padReceives("OS linux\nLAYER slack\n"), "OS linux\nLAYER slack\n");

    session->desktop.kill();

    EXPECT_EQ(session->companion().waitFor(5s), 1);
    EXPECT_TRUE(slaveClosed(session->pad(), 1s));
    // Whichever connection to KWin notices first, the bus or GTK's Wayland display, says so.
    EXPECT_THAT(session->companionErrors(),
                ::testing::AnyOf("dorvane: org.kde.KWin left the session bus\n",
                                 "dorvane: lost the connection to the Wayland compositor\n"));
}

TEST_F(KWinTest, FrontmostPrintsTheActiveWindowAsRulesSeeIt) {
    session->desktop.activate(KWinSession::slack);

    const auto result = runCommand({DORVANE_BINARY, "frontmost"}, session->environment());

    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "kwin\tcom.slack.Slack\tSlack\n");
}

// The companion holds the name KWin reports to, so the command asks the companion what it follows.
TEST_F(KWinTest, FrontmostBesideTheCompanionAsksIt) {
    session->launch(DORVANE_BINARY, KWinSession::chrome);
    ASSERT_EQ(padReceives("OS linux\nLAYER chrome\n"), "OS linux\nLAYER chrome\n");

    const auto once = runCommand({DORVANE_BINARY, "frontmost"}, session->environment());
    EXPECT_EQ(once.exitCode, 0) << once.err;
    EXPECT_EQ(once.out, "kwin\tgoogle-chrome\tGoogle Chrome\n");

    const auto lines = session->companionRuntime() / "lines";
    ChildProcess watch(
        {"bash", "-c", "\"$0\" frontmost --watch | sed -u 2q >\"$1\"; exit \"${PIPESTATUS[0]}\"",
         DORVANE_BINARY, lines},
        session->environment());
    ASSERT_TRUE(eventually([&] { return !readFile(lines).empty(); }, 10s));
    session->desktop.activate(KWinSession::slack);
    EXPECT_TRUE(eventually(
        [&] {
            return readFile(lines) ==
                   "kwin\tgoogle-chrome\tGoogle Chrome\nkwin\tcom.slack.Slack\tSlack\n";
        },
        10s))
        << readFile(lines);
    session->desktop.activate(KWinSession::chrome);  // the watch learns its reader left
    EXPECT_EQ(watch.waitFor(10s), 0);
}

// With GTK on KWin's display, KWin's end would end the companion through GTK first; without it,
// as for a companion whose tray cannot start, only the bus tells.
struct GtkOffTheDisplay {
    GtkOffTheDisplay() { setenv("GDK_BACKEND", "x11", 1); }
    ~GtkOffTheDisplay() { unsetenv("GDK_BACKEND"); }
};

TEST_F(KWinTest, AnHeirToKWinsNameIsNeverTrusted) {
    const GtkOffTheDisplay withoutGtk;
    session->launch(DORVANE_BINARY, KWinSession::chrome);
    ASSERT_EQ(padReceives("OS linux\nLAYER chrome\n"), "OS linux\nLAYER chrome\n");
    BusNameClaim heir(session->bus.address(), "org.kde.KWin", BusNameClaim::Wait::inQueue);

    session->desktop.kill();
    ASSERT_TRUE(eventually([&] { return heir.ownsName(); }, 5s));
    GVariantPtr(g_dbus_connection_call_sync(
        heir.connection(), "app.dorvane.Companion", "/app/dorvane/Companion",
        "app.dorvane.Companion1", "ReportActiveWindow",
        g_variant_new("(ssssb)", "com.slack.Slack.desktop", "Slack", "Slack", "", FALSE), nullptr,
        G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, nullptr));

    EXPECT_EQ(session->companion().waitFor(5s), 1);
    EXPECT_EQ(session->companionErrors(),
              "dorvane: GTK cannot start; running without a tray icon\n"
              "dorvane: org.kde.KWin passed to another program on the session bus\n");
    EXPECT_TRUE(slaveClosed(session->pad(), 1s));
    EXPECT_THAT(session->padReceives("LAYER slack\n", 200ms),
                ::testing::Not(::testing::HasSubstr("slack")));
}

}  // namespace
}  // namespace dorvane::test
