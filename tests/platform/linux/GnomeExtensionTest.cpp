// The GNOME Shell extension as the binary carries it: which variant a GNOME Shell gets, that both
// variants hold the one reporting source and parse, what the user is told of each state GNOME
// Shell gives it, and the install command's round trip through GNOME Shell's settings.
#include <gtest/gtest.h>

#include <string>

#include "platform/linux/gnome/GnomeExtensionSetup.hpp"
#include "platform/linux/gnome/GnomeExtensionState.hpp"
#include "support/Process.hpp"
#include "support/TempDir.hpp"

namespace dorvane::test {
namespace {

namespace fs = std::filesystem;

struct VersionCase {
    std::string versionOutput;  // what `gnome-shell --version` printed
    std::string variant;        // empty: none installs
};

class VariantChoice : public ::testing::TestWithParam<VersionCase> {};

TEST_P(VariantChoice, FollowsTheMajorVersionAndFallsBackToTheNewest) {
    const auto* variant = extensionVariantFor(gnomeShellMajor(GetParam().versionOutput));
    EXPECT_EQ(variant ? std::string(variant->name) : "", GetParam().variant);
}

INSTANTIATE_TEST_SUITE_P(GnomeShell, VariantChoice,
                         ::testing::Values(VersionCase{"GNOME Shell 43.9\n", "legacy"},
                                           VersionCase{"GNOME Shell 44.10\n", "legacy"},
                                           VersionCase{"GNOME Shell 45.alpha\n", "modules"},
                                           VersionCase{"GNOME Shell 50.1\n", "modules"},
                                           VersionCase{"GNOME Shell 51.0\n", "modules"},
                                           VersionCase{"", "modules"},
                                           VersionCase{"GNOME Shell 42.9\n", ""}));

TEST(EnabledExtensions, HoldTheUuidOnceAndKeepTheOthersInOrder) {
    const std::vector<std::string> others{"a@x", "b@x"};
    EXPECT_EQ(withExtension(others, "d@x"), (std::vector<std::string>{"a@x", "b@x", "d@x"}));
    EXPECT_EQ(withExtension({"a@x", "d@x", "b@x"}, "d@x"),
              (std::vector<std::string>{"a@x", "d@x", "b@x"}));
    EXPECT_EQ(withoutExtension({"d@x", "a@x", "d@x", "b@x"}, "d@x"), others);
}

struct StateCase {
    GnomeExtensionInfo info;
    std::string shellVersion;
    bool mayStillChange;
    std::string notice;  // the body; empty: nothing is said
};

class ExtensionNotice : public ::testing::TestWithParam<StateCase> {};

TEST_P(ExtensionNotice, SaysWhatIsWrongAndTheCommandThatMendsIt) {
    const auto& [info, shellVersion, changing, expected] = GetParam();
    EXPECT_EQ(mayStillChange(info), changing);
    const auto notice = extensionNotice(info, shellVersion);
    EXPECT_EQ(notice ? notice->body : "", expected);
    if (notice) {
        EXPECT_EQ(notice->summary, "Dorvane cannot see the application in front");
    }
}

const std::string missing =
    "GNOME Shell needs the Dorvane extension to tell which application is in front: run "
    "\"dorvane gnome-extension install\", then log out and back in.";
const std::string turnedOff =
    "The Dorvane extension is installed but turned off in GNOME Shell: "
    "run \"gnome-extensions enable dorvane@dorvane.app\".";

// The states: 1 active, 2 inactive, 3 error, 4 out of date, 6 initialised (never enabled), 8
// activating, 99 uninstalled.
INSTANTIATE_TEST_SUITE_P(
    GnomeShell, ExtensionNotice,
    ::testing::Values(
        // Unknown to a shell that may not have loaded its extensions yet.
        StateCase{{}, "51.0", true, missing}, StateCase{{99, {}, {}}, "51.0", false, missing},
        StateCase{{1, true, {}}, "51.0", false, ""}, StateCase{{8, true, {}}, "51.0", true, ""},
        StateCase{{6, false, {}}, "51.0", false, turnedOff},
        // GNOME Shell 43 does not say whether it is enabled.
        StateCase{{2, {}, {}}, "43.9", false, turnedOff},
        // Enabled but inactive: about to start, or paused on the lock screen.
        StateCase{{2, true, {}}, "51.0", true, ""},
        StateCase{{4, true, {}},
                  "51.0",
                  false,
                  "GNOME Shell 51.0 does not load the Dorvane extension, whose copy lists only "
                  "older versions: run \"dorvane gnome-extension install\", then log out and "
                  "back in."},
        StateCase{{4, false, {}},
                  "",
                  false,
                  "This GNOME Shell does not load the Dorvane extension, whose copy lists only "
                  "older versions: run \"dorvane gnome-extension install\", then log out and "
                  "back in."},
        StateCase{{3, true, "TypeError: x is null\nat enable"},
                  "48.7",
                  false,
                  "GNOME Shell stopped the Dorvane extension with an error (TypeError: x is null "
                  "at enable): run \"dorvane gnome-extension install\", then log out and back "
                  "in."}));

std::string fileOf(const ExtensionVariant& variant, std::string_view name) {
    for (const auto& file : variant.files) {
        if (file.name == name) {
            return std::string(file.content);
        }
    }
    return {};
}

// The untestable variant is the one GNOME 45 and later load: it must at least hold the same
// reporting code, and parse as a module up to the imports that only GNOME Shell resolves.
TEST(ExtensionVariants, BothHoldTheOneReportingSourceAndParse) {
    const std::string shared =
        readFile(DORVANE_SOURCE_DIR "/data/gnome-shell-extension/focus-reporter.js");
    ASSERT_FALSE(shared.empty());
    for (const auto& variant : gnomeExtensionVariants()) {
        const auto extension = fileOf(variant, "extension.js");
        EXPECT_NE(extension.find(shared), std::string::npos) << variant.name;
        if (runCommand({"sh", "-c", "command -v gjs"}).exitCode != 0) {
            continue;
        }
        TempDir folder;
        writeFiles(folder.path(), filesFor(variant, std::nullopt));
        const bool modules = variant.name == "modules";
        const auto parsed =
            runCommand({"gjs", modules ? "-m" : "-c",
                        modules ? (folder / "extension.js").string()
                                : "imports.searchPath.unshift('" + folder.path().string() +
                                      "'); imports.extension;"});
        // Only GNOME Shell has its own modules and the Shell typelib on its search paths.
        EXPECT_EQ(parsed.err.find("SyntaxError"), std::string::npos) << parsed.err;
        EXPECT_NE(parsed.err.find(modules ? "ImportError: Unable to load file from: "
                                            "resource:///org/gnome/shell/"
                                          : "Typelib file for namespace 'Shell'"),
                  std::string::npos)
            << parsed.err;
    }
}

// The real command, on a home of its own whose GNOME Shell settings are a file.
class GnomeExtensionCommand : public ::testing::Test {
protected:
    void SetUp() override {
        if (runCommand({"gsettings", "list-keys", "org.gnome.shell"}).exitCode != 0) {
            GTEST_SKIP() << "GNOME Shell's settings are not installed (gnome-shell)";
        }
        // GNOME Shell 44 is "installed", so the legacy variant is the one it would load.
        installShell("44.1");
        environment = {{"HOME", home.path()},
                       {"XDG_DATA_HOME", home / "data"},
                       {"XDG_CONFIG_HOME", home / "config"},
                       {"XDG_DATA_DIRS", (home / "system").string() + ":/usr/share"},
                       {"GSETTINGS_BACKEND", "keyfile"},
                       {"PATH", (home / "bin").string() + ":/usr/bin:/bin"}};
        ASSERT_EQ(gsettings({"set", "org.gnome.shell", "enabled-extensions", "['other@x']"}), "");
    }

    void installShell(const std::string& version) {
        writeFile(home / "bin/gnome-shell", "#!/bin/sh\necho GNOME Shell " + version + "\n");
        fs::permissions(home / "bin/gnome-shell", fs::perms::owner_all);
    }
    std::string gsettings(std::vector<std::string> args) {
        args.insert(args.begin(), "gsettings");
        return runCommand(args, environment).out;
    }
    std::string enabled() { return gsettings({"get", "org.gnome.shell", "enabled-extensions"}); }
    CommandResult dorvane(const std::string& action) {
        return runCommand({DORVANE_BINARY, "gnome-extension", action}, environment);
    }

    TempDir home;
    std::map<std::string, std::string> environment;
    const fs::path userCopy = home / "data/gnome-shell/extensions/dorvane@dorvane.app";
    const fs::path systemCopy = home / "system/gnome-shell/extensions/dorvane@dorvane.app";
    const ExtensionVariant& legacy = gnomeExtensionVariants().front();
};

TEST_F(GnomeExtensionCommand, InstallsEnablesAndTakesBoth) {
    for (int run = 0; run < 2; ++run) {
        const auto installed = dorvane("install");
        ASSERT_EQ(installed.exitCode, 0) << installed.err;
        EXPECT_NE(installed.out.find("Log out and back in once"), std::string::npos);
    }
    EXPECT_TRUE(holdsFiles(userCopy, filesFor(legacy, 44)));
    EXPECT_EQ(enabled(), "['other@x', 'dorvane@dorvane.app']\n");

    const auto uninstalled = dorvane("uninstall");
    ASSERT_EQ(uninstalled.exitCode, 0) << uninstalled.err;
    EXPECT_FALSE(fs::exists(userCopy));
    EXPECT_EQ(enabled(), "['other@x']\n");
}

TEST_F(GnomeExtensionCommand, OnlyEnablesTheCopyThatThePackageInstalled) {
    writeFiles(systemCopy, filesFor(legacy, 44));

    const auto installed = dorvane("install");

    ASSERT_EQ(installed.exitCode, 0) << installed.err;
    EXPECT_FALSE(fs::exists(userCopy));
    EXPECT_EQ(enabled(), "['other@x', 'dorvane@dorvane.app']\n");
}

// The package's copy lists no GNOME Shell newer than this release knows: the user's own copy,
// which takes precedence, lists it too.
TEST_F(GnomeExtensionCommand, OnANewerShellInstallsACopyThatListsItUntested) {
    const ExtensionVariant& newest = gnomeExtensionVariants().back();
    writeFiles(systemCopy, filesFor(newest, std::nullopt));
    const int newer = newest.newestShell + 1;
    installShell(std::to_string(newer) + ".0");

    const auto installed = dorvane("install");

    ASSERT_EQ(installed.exitCode, 0) << installed.err;
    EXPECT_NE(installed.err.find("untested there"), std::string::npos) << installed.err;
    EXPECT_NE(readFile(userCopy / "metadata.json")
                  .find('"' + std::to_string(newest.newestShell) + "\", \"" +
                        std::to_string(newer) + "\"]"),
              std::string::npos);
    EXPECT_EQ(enabled(), "['other@x', 'dorvane@dorvane.app']\n");
}

TEST_F(GnomeExtensionCommand, LeavesNothingBehindWhereTheSettingsCannotChange) {
    environment["XDG_DATA_DIRS"] = systemCopy.parent_path();

    const auto installed = dorvane("install");

    EXPECT_EQ(installed.exitCode, 1);
    EXPECT_EQ(installed.err,
              "dorvane: GNOME Shell's settings (org.gnome.shell) are not installed here, so the "
              "extension cannot be enabled\n");
    EXPECT_FALSE(fs::exists(home / "data/gnome-shell"));
}

}  // namespace
}  // namespace dorvane::test
