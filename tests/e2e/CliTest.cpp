// The diagnostic commands, run as a user's script would run them.
#include <gtest/gtest.h>

#include "support/CompanionHome.hpp"
#include "support/Process.hpp"
#include "support/TempDir.hpp"
#include "support/XDesktop.hpp"

namespace dorvane::test {
namespace {

class CliTest : public ::testing::Test {
protected:
    TempDir home;

    CommandResult dorvane(const std::vector<std::string>& args) {
        std::vector<std::string> argv{DORVANE_BINARY};
        argv.insert(argv.end(), args.begin(), args.end());
        return runCommand(argv, {{"HOME", home.path()}, {"XDG_CONFIG_HOME", home / "config"}});
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

// setpriv takes on a user ID that has no entry in the password database.
TEST_F(CliTest, NoHomeFolderIsOneLineAndExit1) {
    const auto result =
        runCommand({"setpriv", "--reuid=54321", "--regid=54321", "--clear-groups", "env", "-u",
                    "HOME", "-u", "XDG_CONFIG_HOME", DORVANE_BINARY, "slot", "--name", "Slack"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err,
              "dorvane: no home folder: HOME is not set and the password database has no entry "
              "for this user\n");
}

TEST_F(CliTest, WithNothingToFollowTheCompanionAndFrontmostSayWhyAndExit1) {
    const std::map<std::string, std::string> noDesktop = {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}};
    for (const auto& args : {std::vector<std::string>{}, {"frontmost"}, {"frontmost", "--watch"}}) {
        std::vector<std::string> argv{DORVANE_BINARY};
        argv.insert(argv.end(), args.begin(), args.end());
        const auto result = runCommand(argv, noDesktop);
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

}  // namespace
}  // namespace dorvane::test
