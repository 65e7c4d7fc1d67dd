// The real companion on a private X11 desktop with an emulated pad: windows of different
// applications come to the front, and the pad must follow.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>

#include "support/Eventually.hpp"
#include "support/Pty.hpp"
#include "support/TempDir.hpp"
#include "testbed/X11Session.hpp"

namespace dorvane::test {
namespace {

using namespace std::chrono_literals;

class CompanionTest : public ::testing::Test {
protected:
    X11Session session;

    void launchWith(XDesktop::WindowId frontmost) { session.launch(DORVANE_BINARY, frontmost); }
    std::string padReceives(const std::string& expected, std::chrono::milliseconds timeout = 5s) {
        return session.padReceives(expected, timeout);
    }
    bool holds(const std::string& port) {
        return std::ranges::count(session.companionDescriptors(), port) > 0;
    }
};

TEST_F(CompanionTest, FollowsTheFrontmostApplicationThroughItsDesktopEntry) {
    const auto terminal = session.desktop.startClient("XTerm", "termwin");
    launchWith(session.chrome);
    EXPECT_EQ(padReceives("OS linux\nLAYER chrome\n"), "OS linux\nLAYER chrome\n");

    session.desktop.activate(session.slack);
    EXPECT_EQ(padReceives("LAYER slack\n"), "LAYER slack\n");

    session.desktop.activate(session.figma);
    EXPECT_EQ(padReceives("LAYER general\n"), "LAYER general\n");
    session.desktop.activate(terminal);  // another application of the same slot
    // Nothing marks a decision to stay put, so silence is watched for longer than a line takes
    // (a few milliseconds) and than a tick (one second), which would resend a wrong slot.
    EXPECT_EQ(padReceives("x", 1500ms), "");
}

TEST_F(CompanionTest, AnEditOfTheRulesFileTakesEffectWithinASecond) {
    launchWith(session.slack);
    ASSERT_EQ(padReceives("OS linux\nLAYER slack\n"), "OS linux\nLAYER slack\n");

    writeFile(session.rulesFile(), "cursor: Slack\n");

    EXPECT_EQ(padReceives("LAYER cursor\n", 3s), "LAYER cursor\n");
}

// The harness announces the pad's going and coming with uevents, as udev does.
TEST_F(CompanionTest, AReplugRestoresTheLastLayer) {
    launchWith(session.chrome);
    ASSERT_EQ(padReceives("OS linux\nLAYER chrome\n"), "OS linux\nLAYER chrome\n");
    const std::string port = session.padPort();
    ASSERT_TRUE(holds(port));
    session.unplugPad();
    session.desktop.activate(session.slack);  // decided while the pad is away
    // Plugged back in once the companion has noticed the unplug and let go of the dead port.
    ASSERT_TRUE(eventually([&] { return !holds(port); }, 5s));

    session.plugPadBackIn();
    session.testbed.announcePad();  // udev repeats itself at times

    EXPECT_EQ(padReceives("OS linux\nLAYER slack\n"), "OS linux\nLAYER slack\n");
    EXPECT_EQ(padReceives("x", 1500ms), "") << "a repeated announcement reached the pad";
}

// As when the pad reboots after the configurator saved its keys: the companion finds the old port
// dead and the new one present in the same tick.
TEST_F(CompanionTest, AReplugWithinOneTickRestoresTheLastLayer) {
    launchWith(session.chrome);
    ASSERT_EQ(padReceives("OS linux\nLAYER chrome\n"), "OS linux\nLAYER chrome\n");

    session.unplugPad();
    session.plugPadBackIn();

    EXPECT_EQ(padReceives("OS linux\nLAYER chrome\n"), "OS linux\nLAYER chrome\n");
}

TEST_F(CompanionTest, ASecondCompanionLeavesThePadToTheFirst) {
    launchWith(session.chrome);
    ASSERT_EQ(padReceives("OS linux\nLAYER chrome\n"), "OS linux\nLAYER chrome\n");

    // The second may not find the first's lock file: its runtime folder can be another.
    const TempDir otherRuntime;
    for (const std::string& runtime : {std::string(), otherRuntime.path().string()}) {
        auto environment = session.environment();
        if (!runtime.empty()) {
            environment["XDG_RUNTIME_DIR"] = runtime;
        }
        const auto second = runCommand({DORVANE_BINARY}, environment);

        EXPECT_EQ(second.exitCode, 0) << runtime;
        EXPECT_EQ(second.err, "Dorvane is already running\n") << runtime;
    }
    // The first still holds the port alone, and a second greeting would come before this line.
    session.desktop.activate(session.slack);
    EXPECT_EQ(padReceives("LAYER slack\n"), "LAYER slack\n");
}

TEST_F(CompanionTest, SigtermReleasesThePortAndExitsCleanly) {
    launchWith(session.chrome);
    ASSERT_EQ(padReceives("OS linux\nLAYER chrome\n"), "OS linux\nLAYER chrome\n");

    session.companion().signal(SIGTERM);

    EXPECT_EQ(session.companion().waitFor(5s), 0);
    EXPECT_TRUE(slaveClosed(session.pad(), 1s));
}

// Each kind of reason in turn: a built-in rule (no rules file yet), no rule, a rule of the file.
TEST_F(CompanionTest, StatusTellsWhatTheCompanionDecidedAndWhy) {
    const auto before = session.runBeside({"status"});
    EXPECT_EQ(before.exitCode, 1);
    EXPECT_EQ(before.err, "dorvane: the companion is not running\n");

    launchWith(session.chrome);
    ASSERT_EQ(padReceives("OS linux\nLAYER chrome\n"), "OS linux\nLAYER chrome\n");
    const auto builtIn = session.runBeside({"status"});
    EXPECT_EQ(builtIn.exitCode, 0) << builtIn.err;
    EXPECT_THAT(builtIn.out,
                ::testing::MatchesRegex("Backend:    x11\n"
                                        "Frontmost:  Google Chrome \\(google-chrome\\)\n"
                                        "Slot:       chrome\n"
                                        "Why:        built-in rule, the name \"google chrome\"\n"
                                        "Paused:     no\n"
                                        "Pad:        connected at /dev/ttyACM0\n"
                                        "Last sent:  LAYER chrome at [0-9:]{8}\n"));

    session.desktop.activate(session.figma);
    ASSERT_EQ(padReceives("LAYER general\n"), "LAYER general\n");
    EXPECT_THAT(session.runBeside({"status"}).out,
                ::testing::HasSubstr("Frontmost:  Figma (Figma)\nSlot:       general\n"
                                     "Why:        no rule, so general\n"));

    writeFile(session.rulesFile(), "# mine\ncursor: Figma\n");
    ASSERT_EQ(padReceives("LAYER cursor\n", 3s), "LAYER cursor\n");
    EXPECT_THAT(session.runBeside({"status"}).out,
                ::testing::HasSubstr("Why:        " + session.rulesFile().string() +
                                     ":2, the ID \"figma\"\n"));
}

TEST_F(CompanionTest, AStatusWatchPrintsALineAtEachChangeAndEndsWhenItsReaderGoes) {
    launchWith(session.chrome);
    ASSERT_EQ(padReceives("OS linux\nLAYER chrome\n"), "OS linux\nLAYER chrome\n");
    const TempDir folder;
    const auto lines = folder / "lines";
    ChildProcess watch(
        {"bash", "-c", "\"$0\" status --watch | sed -u 2q >\"$1\"; exit \"${PIPESTATUS[0]}\"",
         DORVANE_BINARY, lines},
        session.environment());
    ASSERT_TRUE(eventually([&] { return readFile(lines).starts_with("chrome; "); }, 10s));

    session.desktop.activate(session.figma);
    ASSERT_TRUE(eventually(
        [&] {
            return readFile(lines).find("\ngeneral; Figma (Figma); no rule") != std::string::npos;
        },
        10s));

    // The watch learns that its reader left when it next writes.
    bool toSlack = true;
    const bool ended = eventually(
        [&] {
            session.desktop.activate(toSlack ? session.slack : session.figma);
            toSlack = !toSlack;
            return watch.waitFor(200ms).has_value();
        },
        10s);
    ASSERT_TRUE(ended);
    EXPECT_EQ(watch.waitFor(0ms), 0);
}

}  // namespace
}  // namespace dorvane::test
