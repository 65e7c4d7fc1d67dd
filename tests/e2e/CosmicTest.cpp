// The real companion on the stand-in for COSMIC's compositor with an emulated pad: toplevels are
// activated and closed as COSMIC announces it, and the pad must follow.
#include <gtest/gtest.h>
#include <signal.h>

#include <memory>
#include <ostream>

#include "support/Eventually.hpp"
#include "support/Pty.hpp"
#include "testbed/CosmicSession.hpp"

namespace dorvane::test {
namespace {

using namespace std::chrono_literals;

class CosmicTest : public ::testing::Test {
protected:
    std::string padReceives(const std::string& expected) { return session.padReceives(expected); }

    CosmicSession session;
};

TEST_F(CosmicTest, ThePadFollowsTheActivatedToplevel) {
    session.launch(DORVANE_BINARY, CosmicSession::chrome);
    ASSERT_EQ(padReceives("OS linux\nLAYER chrome\n"), "OS linux\nLAYER chrome\n");

    struct Step {
        const char* action;
        std::string appId;
        std::string line;  // empty: nothing, as the next step's line shows
    };
    const Step steps[] = {
        {"focus", CosmicSession::slack, "LAYER slack\n"},
        {"focus", CosmicSession::slack, ""},
        {"show nothing", "", "LAYER general\n"},
        {"focus", CosmicSession::chrome, "LAYER chrome\n"},
        // The activated toplevel goes, and the tick finds nothing in front.
        {"close", CosmicSession::chrome, "LAYER general\n"},
        {"focus", CosmicSession::slack, "LAYER slack\n"},
    };
    for (const Step& step : steps) {
        if (step.action == std::string("focus")) {
            session.desktop.focus(step.appId);
        } else if (step.action == std::string("close")) {
            session.desktop.close(step.appId);
        } else {
            session.desktop.showNothing();
        }
        if (!step.line.empty()) {
            EXPECT_EQ(padReceives(step.line), step.line) << step.action << ' ' << step.appId;
        }
    }
}

TEST_F(CosmicTest, TheStandInGoingAwayEndsTheCompanionWithOneLineAndExit1) {
    session.launch(DORVANE_BINARY, CosmicSession::slack);
    ASSERT_EQ(padReceives("OS linux\nLAYER slack\n"), "OS linux\nLAYER slack\n");
    const std::string before = session.companionErrors();

    session.desktop.goAway();

    EXPECT_EQ(session.companion().waitFor(5s), 1);
    EXPECT_TRUE(slaveClosed(session.pad(), 1s));
    EXPECT_EQ(session.companionErrors(),
              before + "dorvane: lost the connection to the Wayland compositor\n");
}

// One line at each activation: a toplevel that stays activated across a batch is none.
TEST_F(CosmicTest, FrontmostWatchPrintsCosmicAndEachNewActivation) {
    session.desktop.focus(CosmicSession::slack);
    TempDir output;
    ChildProcess watch(
        {"sh", "-c", "exec \"$@\" >\"$0\"", output / "out", DORVANE_BINARY, "frontmost", "--watch"},
        session.environment());
    const std::string first = "cosmic\tcom.slack.Slack\tSlack\n";
    ASSERT_TRUE(eventually([&] { return readFile(output / "out") == first; }, 5s));

    session.desktop.focus(CosmicSession::slack);
    session.desktop.focus(CosmicSession::figma);

    // Without a desktop entry, the app ID names the application.
    const std::string expected = first + "cosmic\tfigma\tfigma\n";
    EXPECT_TRUE(eventually([&] { return readFile(output / "out") == expected; }, 5s))
        << readFile(output / "out");
    watch.signal(SIGTERM);
    EXPECT_EQ(watch.waitFor(5s), 0);
}

struct RefusalCase {
    const char* name;
    int infoVersion;
    std::string refusal;
};

// Its name in the test's name, not its bytes.
void PrintTo(const RefusalCase& refusal, std::ostream* out) {
    *out << refusal.name;
}

class CosmicRefusal : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(CosmicRefusal, ForcedBackendSaysWhatTheCompositorLacks) {
    CosmicDesktop desktop(GetParam().infoVersion);
    auto environment = desktop.environment();
    environment["DORVANE_WORKSPACE"] = "cosmic";

    const auto result = runCommand({DORVANE_BINARY, "frontmost"}, environment);

    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "dorvane: DORVANE_WORKSPACE=cosmic: the Wayland compositor at " +
                              environment["WAYLAND_DISPLAY"] + GetParam().refusal + "\n");
}

INSTANTIATE_TEST_SUITE_P(
    InfoVersions, CosmicRefusal,
    ::testing::Values(RefusalCase{"BeforeVersion2", 1,
                                  " offers zcosmic_toplevel_info_v1 only at version 1, before 2"},
                      RefusalCase{"None", 0, " offers no zcosmic_toplevel_info_v1"}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace dorvane::test
