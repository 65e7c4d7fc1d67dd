// How a window's facts lead to its application's desktop entry and name, what the resolver
// keeps, and what a Flatpak's info file names.
#include "platform/linux/workspace/IdentityResolver.hpp"

#include <glib.h>
#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>

#include "DesktopEntries.hpp"
#include "support/Eventually.hpp"
#include "support/TempDir.hpp"

namespace dorvane {
namespace {

using test::DesktopEntries;

constexpr bool hidden = true;

auto* const desktopEntries = new DesktopEntries({
    {"google-chrome", "Google Chrome", ""},
    {"google-chrome-remote", "Remote Desktop", "", hidden, "false"},
    {"com.slack.Slack", "Slack", ""},
    {"slack", "Slack", ""},
    {"org.example.Chat", "Chat", "ChatWindow"},
    {"cursor", "Cursor", ""},
    {"cursor-url-handler", "Cursor - URL Handler", "", hidden},
    {"codium", "VSCodium", ""},
    {"codium-url-handler", "VSCodium - URL Handler", "", hidden},
    {"org.example.Helper", "Helper", "", hidden},
    {"org.gnome.TextEditor", "Text Editor", ""},
    {"org.example.Sandboxed", "Sandboxed", ""},
    {"editor", "Editor", ""},
    {"code", "Code", "Editor"},
    {"caf\xe9", "Caf\xc3\xa9", "Cafe"},  // a file name in Latin-1
    {"org.example.Verbose", std::string(600, 'n'), ""},
});
[[maybe_unused]] testing::Environment* const registered =
    testing::AddGlobalTestEnvironment(desktopEntries);

std::string repeated(const std::string& text, int times) {
    std::string result;
    for (int i = 0; i < times; ++i) {
        result += text;
    }
    return result;
}

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

WindowFacts waylandFacts(std::string appId, std::optional<std::string> applicationName = {}) {
    WindowFacts facts;
    facts.appId = std::move(appId);
    facts.applicationName = std::move(applicationName);
    return facts;
}

class ResolveIdentity : public testing::TestWithParam<IdentityCase> {};

TEST_P(ResolveIdentity, FindsTheDesktopEntry) {
    EXPECT_EQ(IdentityResolver().resolve(GetParam().facts), GetParam().expected);
}

const IdentityCase identityCases[] = {
    {"GtkApplicationId",
     x11Facts("org.gnome.TextEditor", {}, "gnome-text-editor", "Gnome-text-editor"),
     {"org.gnome.TextEditor", "Text Editor"}},
    {"FlatpakAppId",
     x11Facts({}, "org.example.Sandboxed", "sandboxed", "Sandboxed"),
     {"org.example.Sandboxed", "Sandboxed"}},
    {"ApplicationIdBeatsStartupWmClass",
     x11Facts("org.gnome.TextEditor", {}, "editor", "Editor"),
     {"org.gnome.TextEditor", "Text Editor"}},
    {"UnknownApplicationIdFallsBackToWmClass",
     x11Facts("org.example.Unknown", "org.example.Unknown", "editor", "Editor"),
     {"code", "Code"}},
    {"StartupWmClass", x11Facts({}, {}, "chat", "ChatWindow"), {"org.example.Chat", "Chat"}},
    {"IdEqualsClassIgnoringCase",
     x11Facts({}, {}, "google-chrome", "Google-chrome"),
     {"google-chrome", "Google Chrome"}},
    {"IdEqualsInstanceIgnoringCase", x11Facts({}, {}, "CURSOR", "Electron"), {"cursor", "Cursor"}},
    {"StartupWmClassBeatsIdMatch", x11Facts({}, {}, "editor", "Editor"), {"code", "Code"}},
    {"FileNameIsMadeUtf8", x11Facts({}, {}, "cafe", "Cafe"), {"caf\xef\xbf\xbd", "Caf\xc3\xa9"}},
    {"NoEntryNamesTheClass", x11Facts({}, {}, "xterm", "XTerm"), {"XTerm", "XTerm"}},
    {"NoWmClassNamesNothing", x11Facts(), {}},
    {"AppId", waylandFacts("google-chrome"), {"google-chrome", "Google Chrome"}},
    {"FlatpakAppIdAsAppId", waylandFacts("com.slack.Slack"), {"com.slack.Slack", "Slack"}},
    {"AppIdIgnoringCase", waylandFacts("Slack"), {"slack", "Slack"}},
    {"AppIdAsStartupWmClass", waylandFacts("ChatWindow"), {"org.example.Chat", "Chat"}},
    {"UrlHandlerGivesWayToItsApplication",
     waylandFacts("cursor-url-handler"),
     {"cursor", "Cursor"}},
    {"AnotherUrlHandler", waylandFacts("codium-url-handler"), {"codium", "VSCodium"}},
    {"HiddenEntryOfAnotherProgramStays",
     waylandFacts("google-chrome-remote"),
     {"google-chrome-remote", "Remote Desktop"}},
    {"HiddenEntryAloneStays", waylandFacts("org.example.Helper"), {"org.example.Helper", "Helper"}},
    {"NoEntryNamesTheAppId",
     waylandFacts("org.example.Absent"),
     {"org.example.Absent", "org.example.Absent"}},
    {"NoEntryTakesTheReportedName",
     waylandFacts("org.example.Absent", "Absent"),
     {"org.example.Absent", "Absent"}},
    {"EntryBeatsTheReportedName",
     waylandFacts("google-chrome", "Chrome"),
     {"google-chrome", "Google Chrome"}},
    // Cut at 512 bytes, or just before when that would split a character.
    {"LongClassIsCut",
     x11Facts({}, {}, {}, std::string(1 << 20, 'x')),
     {std::string(512, 'x'), std::string(512, 'x')}},
    {"LongClassIsCutBeforeACharacter",
     x11Facts({}, {}, {}, "x" + repeated("\u00e9", 300)),
     {"x" + repeated("\u00e9", 255), "x" + repeated("\u00e9", 255)}},
    {"LongNameIsCut",
     waylandFacts("org.example.Verbose"),
     {"org.example.Verbose", std::string(512, 'n')}},
};

INSTANTIATE_TEST_SUITE_P(Entries, ResolveIdentity, testing::ValuesIn(identityCases),
                         [](const auto& info) { return info.param.label; });

// GIO tells of the new entry on the main context, from a watch on the entries' folders.
TEST(ResolveIdentityCache, InstalledApplicationIsFound) {
    IdentityResolver resolver;
    const auto facts = waylandFacts("org.example.Later");
    ASSERT_EQ(resolver.resolve(facts),
              (RunningApplication{"org.example.Later", "org.example.Later"}));

    desktopEntries->install({"org.example.Later", "Later", ""});
    EXPECT_TRUE(test::eventually(
        [&] {
            g_main_context_iteration(nullptr, FALSE);
            return resolver.resolve(facts) == RunningApplication{"org.example.Later", "Later"};
        },
        std::chrono::seconds(10)));
}

// The news of the new entries is held back (the main context is not iterated), so the answers
// kept are the only ones the resolver may give: when it gives a new one, it had dropped the old.
TEST(ResolveIdentityCache, DropsTheAnswerUsedLeastRecently) {
    IdentityResolver resolver;
    const auto early = waylandFacts("org.example.Early");
    const auto recent = waylandFacts("org.example.Recent");
    resolver.resolve(early);
    resolver.resolve(recent);
    desktopEntries->install({"org.example.Early", "Early", ""});
    desktopEntries->install({"org.example.Recent", "Recent", ""});
    ASSERT_TRUE(test::eventually(
        [&] {
            return identifyApplication(early).localizedName == "Early" &&
                   identifyApplication(recent).localizedName == "Recent";
        },
        std::chrono::seconds(10)));

    for (std::size_t i = 2; i < IdentityResolver::keptAnswers; ++i) {
        resolver.resolve(waylandFacts("org.example.Filler" + std::to_string(i)));
    }
    resolver.resolve(early);
    resolver.resolve(waylandFacts("org.example.OneTooMany"));

    EXPECT_EQ(resolver.resolve(early).localizedName, "org.example.Early");
    EXPECT_EQ(resolver.resolve(recent).localizedName, "Recent");
}

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
