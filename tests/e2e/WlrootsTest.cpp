// The real companion on a private wlroots desktop (sway and labwc) with an emulated pad: windows
// of different applications take the focus, and the pad must follow.
#include <gtest/gtest.h>

#include <memory>
#include <ostream>

#include "support/Pty.hpp"
#include "testbed/WlrootsSession.hpp"

namespace dorvane::test {

// The compositor's name in a test's name, not its bytes.
void PrintTo(WlrootsCompositor compositor, std::ostream* out) {
    *out << programOf(compositor);
}

namespace {

using namespace std::chrono_literals;

class WlrootsTest : public ::testing::TestWithParam<WlrootsCompositor> {
protected:
    void SetUp() override {
        if (const auto missing = WlrootsDesktop::unavailable(GetParam())) {
            GTEST_SKIP() << *missing;
        }
        session = std::make_unique<WlrootsSession>(GetParam());
    }

    std::string padReceives(const std::string& expected) { return session->padReceives(expected); }

    std::unique_ptr<WlrootsSession> session;
};

TEST_P(WlrootsTest, ThePadFollowsTheFocusThroughDesktopEntries) {
    session->launch(DORVANE_BINARY, WlrootsSession::chrome);
    ASSERT_EQ(padReceives("OS linux\nLAYER chrome\n"), "OS linux\nLAYER chrome\n");

    struct Step {
        std::string focused;  // empty: no window is
        std::string line;
    };
    const Step steps[] = {
        {WlrootsSession::slack, "LAYER slack\n"},
        // Nothing is activated, and the tick finds nothing in front.
        {"", "LAYER general\n"},
        {WlrootsSession::cursor, "LAYER cursor\n"},
        {WlrootsSession::figma, "LAYER general\n"},
        {WlrootsSession::chrome, "LAYER chrome\n"},
    };
    for (const Step& step : steps) {
        if (step.focused.empty()) {
            session->desktop.showNothing();
        } else {
            session->desktop.focus(step.focused);
        }
        EXPECT_EQ(padReceives(step.line), step.line) << "focused: " << step.focused;
    }
}

TEST_P(WlrootsTest, ALostCompositorEndsTheCompanionWithOneLineAndExit1) {
    session->launch(DORVANE_BINARY, WlrootsSession::slack);
    ASSERT_EQ(padReceives("OS linux\nLAYER slack\n"), "OS linux\nLAYER slack\n");

    session->desktop.kill();

    EXPECT_EQ(session->companion().waitFor(5s), 1);
    EXPECT_TRUE(slaveClosed(session->pad(), 1s));
    EXPECT_EQ(session->companionErrors(),
              "dorvane: lost the connection to the Wayland compositor\n");
}

TEST_P(WlrootsTest, FrontmostPrintsTheFocusedApplicationAsRulesSeeIt) {
    session->desktop.focus(WlrootsSession::slack);

    const auto result = runCommand({DORVANE_BINARY, "frontmost"}, session->environment());

    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "wlr\tcom.slack.Slack\tSlack\n");
}

INSTANTIATE_TEST_SUITE_P(Compositors, WlrootsTest,
                         ::testing::Values(WlrootsCompositor::sway, WlrootsCompositor::labwc),
                         [](const auto& compositor) { return programOf(compositor.param); });

}  // namespace
}  // namespace dorvane::test
