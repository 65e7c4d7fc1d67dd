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

WindowFacts x11Facts(std::optional<std::string> gtkApplicationId = {},
                     std::optional<std::string> flatpakAppId = {},
                     std::optional<std::string> wmClassInstance = {},
                     std::optional<std::string> wmClassClass = {}) {
    WindowFacts facts;
    facts.gtkApplicationId = std::move(gtkApplicationId);
    facts.flatpakAppId = std::move(flatpakAppId);
    facts.wmClassInstance = std::move(wmClassInstance);
    facts.wmClassClass = std::move(wmClassClass);
    return facts;
}

class IdentifyApplication : public testing::TestWithParam<IdentityCase> {};

TEST_P(IdentifyApplication, FindsTheDesktopEntry) {
    EXPECT_EQ(identifyApplication(GetParam().facts), GetParam().expected);
}

const IdentityCase identityCases[] = {
    {"GtkApplicationId",
     x11Facts("org.gnome.TextEditor", {}, "gnome-text-editor", "Gnome-text-editor"),
     {"org.gnome.TextEditor", "Text Editor"}},
    {"FlatpakAppId",
     x11Facts({}, "org.example.Sandboxed", "sandboxed", "Sandboxed"),
     {"org.example.Sandboxed", "Sandboxed"}},
    {"ApplicationIdBeatsStartupWmClass",
     x11Facts("org.gnome.TextEditor", {}, "slack", "Slack"),
     {"org.gnome.TextEditor", "Text Editor"}},
    {"UnknownApplicationIdFallsBackToWmClass",
     x11Facts("org.example.Unknown", "org.example.Unknown", "slack", "Slack"),
     {"com.slack.Slack", "Slack"}},
    {"StartupWmClass", x11Facts({}, {}, "slack", "Slack"), {"com.slack.Slack", "Slack"}},
    {"IdEqualsClassIgnoringCase",
     x11Facts({}, {}, "google-chrome", "Google-chrome"),
     {"google-chrome", "Google Chrome"}},
    {"IdEqualsInstanceIgnoringCase", x11Facts({}, {}, "CURSOR", "Electron"), {"cursor", "Cursor"}},
    {"StartupWmClassBeatsIdMatch", x11Facts({}, {}, "editor", "Editor"), {"code", "Code"}},
    {"FileNameIsMadeUtf8", x11Facts({}, {}, "cafe", "Cafe"), {"caf\xef\xbf\xbd", "Caf\xc3\xa9"}},
    {"NoEntryNamesTheClass", x11Facts({}, {}, "xterm", "XTerm"), {"XTerm", "XTerm"}},
    {"NoWmClassNamesNothing", x11Facts(), {}},
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
