// The GNOME Shell extension as the binary carries it: which variant a GNOME Shell gets, that both
// variants hold the one reporting source and parse, and the install command's round trip through
// GNOME Shell's settings.
#include <gtest/gtest.h>

#include <string>

#include "platform/linux/GnomeExtensionSetup.hpp"
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
        writeVariant(folder.path(), variant);
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
        writeFile(home / "bin/gnome-shell", "#!/bin/sh\necho GNOME Shell 44.1\n");
        fs::permissions(home / "bin/gnome-shell", fs::perms::owner_all);
        environment = {{"HOME", home.path()},
                       {"XDG_DATA_HOME", home / "data"},
                       {"XDG_CONFIG_HOME", home / "config"},
                       {"XDG_DATA_DIRS", (home / "system").string() + ":/usr/share"},
                       {"GSETTINGS_BACKEND", "keyfile"},
                       {"PATH", (home / "bin").string() + ":/usr/bin:/bin"}};
        ASSERT_EQ(gsettings({"set", "org.gnome.shell", "enabled-extensions", "['other@x']"}), "");
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
    const ExtensionVariant& legacy = gnomeExtensionVariants().front();
};

TEST_F(GnomeExtensionCommand, InstallsEnablesAndTakesBoth) {
    for (int run = 0; run < 2; ++run) {
        const auto installed = dorvane("install");
        ASSERT_EQ(installed.exitCode, 0) << installed.err;
        EXPECT_NE(installed.out.find("Log out and back in once"), std::string::npos);
    }
    EXPECT_TRUE(holdsVariant(userCopy, legacy));
    EXPECT_EQ(enabled(), "['other@x', 'dorvane@dorvane.app']\n");

    const auto uninstalled = dorvane("uninstall");
    ASSERT_EQ(uninstalled.exitCode, 0) << uninstalled.err;
    EXPECT_FALSE(fs::exists(userCopy));
    EXPECT_EQ(enabled(), "['other@x']\n");
}

TEST_F(GnomeExtensionCommand, OnlyEnablesTheCopyThatThePackageInstalled) {
    writeVariant(home / "system/gnome-shell/extensions/dorvane@dorvane.app", legacy);

    const auto installed = dorvane("install");

    ASSERT_EQ(installed.exitCode, 0) << installed.err;
    EXPECT_FALSE(fs::exists(userCopy));
    EXPECT_EQ(enabled(), "['other@x', 'dorvane@dorvane.app']\n");
}

}  // namespace
}  // namespace dorvane::test
