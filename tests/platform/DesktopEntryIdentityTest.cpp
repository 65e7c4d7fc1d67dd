#include "platform/linux/DesktopEntryIdentity.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "DesktopEntries.hpp"
#include "support/TempDir.hpp"

namespace dorvane {
namespace {

using test::DesktopEntries;

testing::Environment* const desktopEntries = testing::AddGlobalTestEnvironment(new DesktopEntries({
    {"google-chrome", "Google Chrome", ""},
    {"com.slack.Slack", "Slack", "Slack"},
    {"cursor", "Cursor", ""},
    {"org.gnome.TextEditor", "Text Editor", ""},
    {"org.example.Sandboxed", "Sandboxed", ""},
    {"editor", "Editor", ""},
    {"code", "Code", "Editor"},
    {"caf\xe9", "Caf\xc3\xa9", "Cafe"},  // a file name in Latin-1
}));

struct IdentityCase {
    std::string label;
    WindowFacts facts;
    RunningApplication expected;
};

class IdentifyApplication : public testing::TestWithParam<IdentityCase> {};

TEST_P(IdentifyApplication, FindsTheDesktopEntry) {
    EXPECT_EQ(identifyApplication(GetParam().facts), GetParam().expected);
}

const IdentityCase identityCases[] = {
    {"GtkApplicationId",
     {"org.gnome.TextEditor", {}, "gnome-text-editor", "Gnome-text-editor"},
     {"org.gnome.TextEditor", "Text Editor"}},
    {"FlatpakAppId",
     {{}, "org.example.Sandboxed", "sandboxed", "Sandboxed"},
     {"org.example.Sandboxed", "Sandboxed"}},
    {"ApplicationIdBeatsStartupWmClass",
     {"org.gnome.TextEditor", {}, "slack", "Slack"},
     {"org.gnome.TextEditor", "Text Editor"}},
    {"UnknownApplicationIdFallsBackToWmClass",
     {"org.example.Unknown", "org.example.Unknown", "slack", "Slack"},
     {"com.slack.Slack", "Slack"}},
    {"StartupWmClass", {{}, {}, "slack", "Slack"}, {"com.slack.Slack", "Slack"}},
    {"IdEqualsClassIgnoringCase",
     {{}, {}, "google-chrome", "Google-chrome"},
     {"google-chrome", "Google Chrome"}},
    {"IdEqualsInstanceIgnoringCase", {{}, {}, "CURSOR", "Electron"}, {"cursor", "Cursor"}},
    {"StartupWmClassBeatsIdMatch", {{}, {}, "editor", "Editor"}, {"code", "Code"}},
    {"FileNameIsMadeUtf8", {{}, {}, "cafe", "Cafe"}, {"caf\xef\xbf\xbd", "Caf\xc3\xa9"}},
    {"NoEntryNamesTheClass", {{}, {}, "xterm", "XTerm"}, {"XTerm", "XTerm"}},
    {"NoWmClassNamesNothing", {}, {}},
};

INSTANTIATE_TEST_SUITE_P(Entries, IdentifyApplication, testing::ValuesIn(identityCases),
                         [](const auto& info) { return info.param.label; });

struct FlatpakInfoCase {
    std::string label;
    std::string contents;
    std::optional<std::string> expected;
};

class FlatpakInfo : public testing::TestWithParam<FlatpakInfoCase> {};

TEST_P(FlatpakInfo, ReadsTheApplicationName) {
    const test::TempDir folder;
    test::writeFile(folder / ".flatpak-info", GetParam().contents);
    EXPECT_EQ(flatpakAppIdFromInfoFile(folder / ".flatpak-info"), GetParam().expected);
}

const FlatpakInfoCase flatpakInfoCases[] = {
    {"ApplicationName",
     "[Application]\nname=com.slack.Slack\nruntime=runtime/org.freedesktop.Platform\n"
     "\n[Instance]\ninstance-id=42\n",
     "com.slack.Slack"},
    {"NameOfAnotherGroup", "[Runtime]\nname=org.freedesktop.Platform\n", std::nullopt},
    {"EmptyName", "[Application]\nname=\n", std::nullopt},
    {"NotAKeyFile", "name=com.slack.Slack\n", std::nullopt},
};

INSTANTIATE_TEST_SUITE_P(Files, FlatpakInfo, testing::ValuesIn(flatpakInfoCases),
                         [](const auto& info) { return info.param.label; });

TEST(FlatpakInfoFile, MissingFileNamesNothing) {
    EXPECT_EQ(flatpakAppIdFromInfoFile("/nonexistent/.flatpak-info"), std::nullopt);
}

}  // namespace
}  // namespace dorvane
