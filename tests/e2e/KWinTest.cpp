// The real companion on a private KWin with an emulated pad: the script it loads into KWin
// reports each activation, and the pad must follow; nothing else on the bus may steer it, and a
// crashed companion's successor finds one script loaded, its own.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <signal.h>

#include <filesystem>
#include <memory>

#include "support/KWinSession.hpp"
#include "support/Pty.hpp"

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

    const auto frontmost = runCommand({DORVANE_BINARY, "frontmost"}, session->environment());
    EXPECT_EQ(frontmost.exitCode, 1);
    EXPECT_EQ(frontmost.err,
              "dorvane: the companion is running and holds app.dorvane.Companion; quit it first\n");

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

}  // namespace
}  // namespace dorvane::test
