// The command line, run as a user's script would run it: the diagnostic commands, and the pad's
// commands on an emulated USB tree.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "support/Process.hpp"
#include "support/Pty.hpp"
#include "support/TempDir.hpp"
#include "testbed/CompanionHome.hpp"
#include "testbed/PadTestbed.hpp"
#include "testbed/XDesktop.hpp"

namespace dorvane::test {
namespace {

using namespace std::chrono_literals;

CommandResult runDorvane(const std::vector<std::string>& args,
                         const std::map<std::string, std::string>& environment) {
    std::vector<std::string> argv{DORVANE_BINARY};
    argv.insert(argv.end(), args.begin(), args.end());
    return runCommand(argv, environment);
}

class CliTest : public ::testing::Test {
protected:
    TempDir home;

    CommandResult dorvane(const std::vector<std::string>& args) {
        return runDorvane(args, {{"HOME", home.path()}, {"XDG_CONFIG_HOME", home / "config"}});
    }
};

std::string lastLine(const std::string& text) {
    const auto end = text.find_last_not_of('\n');
    const auto start = text.rfind('\n', end);
    return text.substr(start == std::string::npos ? 0 : start + 1, end - start);
}

struct CheckCase {
    const char* name;
    std::string text;
    int exitCode;
    std::string out;      // stdout, exactly
    std::string errLine;  // the last line of stderr; FILE stands for the file's path
};

class CheckTest : public CliTest, public ::testing::WithParamInterface<CheckCase> {};

TEST_P(CheckTest, PrintsRulesOrTheError) {
    const CheckCase& c = GetParam();
    const auto file = home / "rules.txt";
    writeFile(file, c.text);

    const auto result = dorvane({"check", file});

    EXPECT_EQ(result.exitCode, c.exitCode) << result.err;
    EXPECT_EQ(result.out, c.out);
    std::string errLine = c.errLine;
    if (const auto at = errLine.find("FILE"); at != std::string::npos) {
        errLine.replace(at, 4, file.string());
    }
    EXPECT_EQ(lastLine(result.err), errLine);
}

INSTANTIATE_TEST_SUITE_P(
    Cli, CheckTest,
    ::testing::Values(
        CheckCase{"SortedByKey", "slack: Slack\ncursor: Cursor, com.anysphere.cursor\n", 0,
                  "cursor\tcom.anysphere.cursor\ncursor\tcursor\nslack\tslack\n", ""},
        CheckCase{"MissingColonWithEditorLineNumber", "# rules\r\ncursor: A\r\nFigma\r\n", 1, "",
                  "FILE:3: Expected app rules like cursor: Figma, com.figma.Desktop."},
        CheckCase{"UnknownSlot", "figma: Figma\n", 1, "", "FILE:1: Unknown profile slot: figma"},
        CheckCase{"NoRulesHasNoLine", "# nothing yet\n\n", 1, "",
                  "FILE: This file has no Dorvane app rules."},
        CheckCase{"InvalidUTF8", "cursor: Caf\xe9\n", 2, "", "FILE: not valid UTF-8 text"}),
    [](const auto& info) { return info.param.name; });

TEST_F(CliTest, CheckOfAMissingFileExits2WithTheSystemsReason) {
    const auto file = home / "absent.txt";
    const auto result = dorvane({"check", file});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.err, file.string() + ": No such file or directory\n");
}

TEST_F(CliTest, SlotUsesBuiltInRulesWithoutAFileAndTheFileOnceWritten) {
    EXPECT_EQ(dorvane({"slot", "--name", "Cursor"}).out, "cursor\n");
    EXPECT_EQ(dorvane({"slot", "--id", "com.google.Chrome.beta"}).out, "chrome\n");
    EXPECT_EQ(dorvane({"slot", "--name", "Figma"}).out, "general\n");

    writeFile(home / "config/dorvane/apps.txt", "slack: Figma\n");
    const auto result = dorvane({"slot", "--id", "com.figma.Desktop", "--name", "Figma"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "slack\n");
    EXPECT_EQ(dorvane({"slot", "--name", "Cursor"}).out, "general\n");
}

TEST_F(CliTest, UsageErrorsExit2) {
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"frobnicate"}, {"send", "layer9"}, {"slot", "--id"}, {"check"}}) {
        const auto result = dorvane(args);
        EXPECT_EQ(result.exitCode, 2) << args[0];
        EXPECT_FALSE(result.err.empty()) << args[0];
    }
}

// setpriv takes on a user ID that has no entry in the password database. That user runs a copy
// of the binary, in a folder anyone can enter: the build's own may be in a private one.
TEST_F(CliTest, NoHomeFolderIsOneLineAndExit1) {
    const TempDir reachable;
    const auto binary = reachable / "dorvane";
    std::filesystem::copy_file(DORVANE_BINARY, binary);
    std::filesystem::permissions(reachable.path(), std::filesystem::perms::others_exec,
                                 std::filesystem::perm_options::add);
    const auto result =
        runCommand({"setpriv", "--reuid=54321", "--regid=54321", "--clear-groups", "env", "-u",
                    "HOME", "-u", "XDG_CONFIG_HOME", binary, "slot", "--name", "Slack"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err,
              "dorvane: no home folder: HOME is not set and the password database has no entry "
              "for this user\n");
}

TEST_F(CliTest, WithNothingToFollowTheCompanionAndFrontmostSayWhyAndExit1) {
    const std::map<std::string, std::string> noDesktop = {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}};
    for (const auto& args : {std::vector<std::string>{}, {"frontmost"}, {"frontmost", "--watch"}}) {
        const auto result = runDorvane(args, noDesktop);
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(result.err,
                  "dorvane: no desktop to follow: WAYLAND_DISPLAY is not set, and DISPLAY is not "
                  "set\n");
    }

    // Neither a compositor nor an X server answers: one line names both failures.
    const auto neitherAnswers = runCommand(
        {DORVANE_BINARY},
        {{"DISPLAY", ":999"}, {"WAYLAND_DISPLAY", "wayland-0"}, {"XDG_RUNTIME_DIR", home.path()}});
    EXPECT_EQ(neitherAnswers.exitCode, 1);
    EXPECT_EQ(neitherAnswers.err,
              "dorvane: no desktop to follow: cannot connect to the Wayland display wayland-0, and "
              "cannot open the X11 display :999\n");
}

TEST_F(CliTest, FrontmostOnX11NamesTheActiveWindowsApplication) {
    XDesktop desktop;
    CompanionHome companionHome;
    companionHome.addDesktopEntry("com.slack.Slack", "Name=Slack\nStartupWMClass=Slack\n");
    desktop.activate(desktop.startClient("Slack", "slackwin"));
    auto environment = companionHome.environment();
    environment.merge(desktop.environment());
    environment.insert({"WAYLAND_DISPLAY", ""});

    const auto result = runCommand({DORVANE_BINARY, "frontmost"}, environment);

    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "x11\tcom.slack.Slack\tSlack\n");
}

// A tree that libudev really enumerates: the pad, a second device of the pad's vendor that is not
// a pad, and another vendor's device named like the pad. Without the pad, neither of the other two
// may be taken for it.
class PadCliTest : public ::testing::Test {
protected:
    PadTestbed testbed{DORVANE_SOURCE_DIR "/tests/e2e/data/three-devices.umockdev"};

    CommandResult dorvane(const std::vector<std::string>& args) {
        return runDorvane(args, testbed.childEnvironment());
    }
};

TEST_F(PadCliTest, PadsListsOnlyThePad) {
    const auto result = dorvane({"pads"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "/dev/ttyACM0\n");
}

TEST_F(PadCliTest, SendWritesGreetingThenLayerInRawMode) {
    const int pad = testbed.masterFd("/dev/ttyACM0");
    const int otherDevice = testbed.masterFd("/dev/ttyACM1");
    ASSERT_GE(pad, 0);
    cookTerminal(pad);

    const auto result = dorvane({"send", "chrome"});

    EXPECT_EQ(result.exitCode, 0) << result.err;
    const std::string expected = "OS linux\nLAYER chrome\n";
    EXPECT_EQ(readFromMaster(pad, expected.size() + 1, 1s, OnHangUp::keepWaiting), expected);
    EXPECT_EQ(readFromMaster(otherDevice, 1, 100ms, OnHangUp::keepWaiting), "");
}

TEST(PadCliWithoutPad, FindsNoPadAndSendsNothing) {
    PadTestbed onlyOtherDevices{DORVANE_SOURCE_DIR "/tests/e2e/data/not-a-pad.umockdev"};
    const int sameVendorDevice = onlyOtherDevices.masterFd("/dev/ttyACM1");

    const auto pads = runCommand({DORVANE_BINARY, "pads"}, onlyOtherDevices.childEnvironment());
    const auto send =
        runCommand({DORVANE_BINARY, "send", "slack"}, onlyOtherDevices.childEnvironment());

    EXPECT_EQ(pads.exitCode, 0) << pads.err;
    EXPECT_EQ(pads.out, "");
    EXPECT_EQ(send.exitCode, 1);
    EXPECT_EQ(send.err, "Pad: not found\n");
    EXPECT_EQ(readFromMaster(sameVendorDevice, 1, 100ms, OnHangUp::keepWaiting), "");
}

}  // namespace
}  // namespace dorvane::test
