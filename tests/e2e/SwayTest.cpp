// The real companion on a private sway desktop with an emulated pad: windows of different
// applications take the focus, and the pad must follow.
#include <gtest/gtest.h>

#include <memory>

#include "support/Pty.hpp"
#include "support/SwaySession.hpp"

namespace dorvane::test {
namespace {

using namespace std::chrono_literals;

class SwayTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!SwayDesktop::available()) {
            GTEST_SKIP() << "sway or foot is not installed (scripts/install-deps installs both)";
        }
        session = std::make_unique<SwaySession>();
    }

    std::string padReceives(const std::string& expected) { return session->padReceives(expected); }

    std::unique_ptr<SwaySession> session;
};

std::string focus(const std::string& appId) {
    return "[app_id=\"" + appId + "\"] focus";
}

TEST_F(SwayTest, ThePadFollowsTheFocusThroughDesktopEntries) {
    session->launch(DORVANE_BINARY, SwaySession::chrome);
    ASSERT_EQ(padReceives("OS linux\nLAYER chrome\n"), "OS linux\nLAYER chrome\n");

    struct Step {
        std::string command;
        std::string line;
    };
    const Step steps[] = {
        {focus(SwaySession::slack), "LAYER slack\n"},
        // An empty workspace: nothing is activated, and the tick finds nothing in front.
        {"workspace 2", "LAYER general\n"},
        {focus(SwaySession::cursor), "LAYER cursor\n"},
        {focus(SwaySession::figma), "LAYER general\n"},
        {focus(SwaySession::chrome), "LAYER chrome\n"},
    };
    for (const Step& step : steps) {
        session->desktop.command(step.command);
        EXPECT_EQ(padReceives(step.line), step.line) << step.command;
    }
}

TEST_F(SwayTest, ALostCompositorEndsTheCompanionWithOneLineAndExit1) {
    session->launch(DORVANE_BINARY, SwaySession::slack);
    ASSERT_EQ(padReceives("OS linux\nLAYER slack\n"), "OS linux\nLAYER slack\n");

    session->desktop.kill();

    EXPECT_EQ(session->companion().waitFor(5s), 1);
    EXPECT_TRUE(slaveClosed(session->pad(), 1s));
    EXPECT_EQ(session->companionErrors(),
              "dorvane: lost the connection to the Wayland compositor\n");
}

TEST_F(SwayTest, FrontmostPrintsTheFocusedApplicationAsRulesSeeIt) {
    session->desktop.focus(SwaySession::slack);

    const auto result = runCommand({DORVANE_BINARY, "frontmost"}, session->environment());

    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "wlr\tcom.slack.Slack\tSlack\n");
}

}  // namespace
}  // namespace dorvane::test
