// The slot lookup: the built-in rules, the rules file's reloads as it changes, and the parse
// errors reported once each.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "ModificationTime.hpp"
#include "ParserCases.hpp"
#include "rules/LayerMap.hpp"
#include "support/TempDir.hpp"

namespace dorvane {
namespace {

using test::setModificationTime;
using test::writeFile;

struct LookupCase {
    std::optional<std::string> identifier;
    std::optional<std::string> name;
    std::optional<std::string> slot;
};

void PrintTo(const LookupCase& lookup, std::ostream* out) {
    *out << testing::PrintToString(lookup.identifier) << " / "
         << testing::PrintToString(lookup.name);
}

class LayerMapTest : public testing::Test {
protected:
    // Writes the rules file with a chosen modification time.
    void edit(std::string_view text, std::time_t seconds, long nanoseconds = 0) {
        writeFile(rulesFile, text);
        setModificationTime(rulesFile, seconds, nanoseconds);
    }

    std::optional<std::string> slotFor(std::optional<std::string> identifier,
                                       std::optional<std::string> name = std::nullopt) {
        return map.layerFor({std::move(identifier), std::move(name)});
    }

    test::TempDir folder;
    std::filesystem::path rulesFile = folder.path() / "dorvane" / "apps.txt";
    std::chrono::system_clock::time_point now = test::longAfterEveryWrite();
    LayerMap map{rulesFile, [this] { return now; }};
};

class BuiltInRulesTest : public LayerMapTest, public testing::WithParamInterface<LookupCase> {};

TEST_P(BuiltInRulesTest, DecideWhileNoRulesFileExists) {
    const LookupCase& lookup = GetParam();
    EXPECT_EQ(slotFor(lookup.identifier, lookup.name), lookup.slot);
}

INSTANTIATE_TEST_SUITE_P(
    Lookups, BuiltInRulesTest,
    testing::Values(LookupCase{std::nullopt, "Cursor", "cursor"},
                    LookupCase{"com.tinyspeck.slackmacgap", "Cursor", "cursor"},
                    LookupCase{"com.todesktop.230313mzl4w4u92", "Code", "cursor"},
                    LookupCase{"com.anysphere.cursor.nightly", std::nullopt, "cursor"},
                    LookupCase{"com.google.Chrome", std::nullopt, "chrome"},
                    LookupCase{"COM.Google.Chrome.Canary", std::nullopt, "chrome"},
                    LookupCase{"com.google.chromeX", std::nullopt, std::nullopt},
                    LookupCase{"com.google.chromeX", "Google Chrome", "chrome"},
                    LookupCase{"com.tinyspeck.slackmacgap", std::nullopt, "slack"},
                    LookupCase{"com.slack.Slack", "SLACK", "slack"},
                    LookupCase{"com.slack.Slack", "Slack Beta", std::nullopt},
                    LookupCase{"", "", std::nullopt},
                    LookupCase{std::nullopt, std::nullopt, std::nullopt}));

TEST_F(LayerMapTest, LoadedRulesAloneDecide) {
    edit(test::defaultRulesText, 1000);
    EXPECT_EQ(slotFor("com.google.Chrome"), "chrome");
    EXPECT_EQ(slotFor(std::nullopt, "Cursor"), "cursor");
    EXPECT_EQ(slotFor("com.todesktop.230313mzl4w4u92", "Code"), std::nullopt);
    EXPECT_EQ(slotFor(std::nullopt, std::nullopt), std::nullopt);
}

TEST_F(LayerMapTest, EmptyRulesTurnTheBuiltInRulesOff) {
    edit("slack: , ;", 1000);
    EXPECT_EQ(slotFor("com.google.chrome", "Cursor"), std::nullopt);
}

TEST_F(LayerMapTest, IdentifierSlotWinsOverNameSlot) {
    edit("cursor: Example\nslack: com.example.App", 1000);
    EXPECT_EQ(slotFor("com.example.app", "Example"), "slack");
    EXPECT_EQ(slotFor("com.example.other", "EXAMPLE"), "cursor");
}

// Each replaces the rules file's text with another of the same size and modification time, as
// a restore with cp -p or rsync -t may.
struct SameTimeChange {
    const char* name;
    void (*replace)(const std::filesystem::path& file, std::string_view text);
};

class SameTimeChangeTest : public LayerMapTest,
                           public testing::WithParamInterface<SameTimeChange> {};

TEST_P(SameTimeChangeTest, IsPickedUp) {
    edit("cursor: Figma", 1000, 500);
    EXPECT_EQ(slotFor(std::nullopt, "Figma"), "cursor");

    GetParam().replace(rulesFile, "chrome: Figma");
    setModificationTime(rulesFile, 1000, 500);
    EXPECT_EQ(slotFor(std::nullopt, "Figma"), "chrome");
}

INSTANTIATE_TEST_SUITE_P(
    Restores, SameTimeChangeTest,
    testing::Values(SameTimeChange{"InPlace",
                                   [](const auto& file, std::string_view text) {
                                       test::waitForALaterStatusChangeTime(file);
                                       writeFile(file, text);
                                   }},
                    SameTimeChange{"RenameOfAnotherFileOverIt",
                                   [](const auto& file, std::string_view text) {
                                       const auto other = file.parent_path() / "restored";
                                       writeFile(other, text);
                                       std::filesystem::rename(other, file);
                                   }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LayerMapTest, BrokenEditKeepsTheRulesLoadedBefore) {
    edit("slack: Figma", 1000);
    EXPECT_EQ(slotFor(std::nullopt, "Figma"), "slack");

    edit("Figma", 2000);
    EXPECT_EQ(slotFor(std::nullopt, "Figma"), "slack");
    edit("cursor: Fig\xFFma", 3000);
    EXPECT_EQ(slotFor(std::nullopt, "Figma"), "slack");

    // The failed loads left the old time recorded, so a fix with the same time still loads.
    edit("chrome: Figma", 3000);
    EXPECT_EQ(slotFor(std::nullopt, "Figma"), "chrome");
}

TEST_F(LayerMapTest, DeletionBringsBackTheBuiltInRulesAndRestoringReloads) {
    edit("slack: Figma", 1000);
    EXPECT_EQ(slotFor(std::nullopt, "Cursor"), std::nullopt);

    std::filesystem::remove(rulesFile);
    EXPECT_EQ(slotFor(std::nullopt, "Cursor"), "cursor");
    EXPECT_EQ(slotFor(std::nullopt, "Figma"), std::nullopt);

    edit("slack: Figma", 1000);
    EXPECT_EQ(slotFor(std::nullopt, "Figma"), "slack");
}

TEST_F(LayerMapTest, FileThatNeverParsedLeavesTheBuiltInRules) {
    edit("Figma", 1000);
    EXPECT_EQ(slotFor(std::nullopt, "Cursor"), "cursor");
}

TEST_F(LayerMapTest, ByteOrderMarkIsDropped) {
    edit(
        "\xEF\xBB\xBF"
        "cursor: Figma",
        1000);
    EXPECT_EQ(slotFor(std::nullopt, "Figma"), "cursor");
}

// Two writes 20 ms apart into the same file, each half alone broken: neither is read until the
// file has gone unwritten for the settle time.
TEST_F(LayerMapTest, AFileStillBeingWrittenIsTakenOnceItSettles) {
    using namespace std::chrono_literals;
    edit("slack: Figma", 1000);
    ASSERT_EQ(slotFor(std::nullopt, "Figma"), "slack");

    const auto written = [&](std::string_view text, std::chrono::milliseconds at) {
        edit(text, 2000, std::chrono::nanoseconds(at).count());
        now = std::chrono::system_clock::time_point(2000s + at);
    };
    written("cur", 0ms);
    now += 5ms;
    EXPECT_EQ(slotFor(std::nullopt, "Figma"), "slack");
    written("cursor: Figma\n", 20ms);
    now += LayerMap::settleTime - 1ms;
    EXPECT_EQ(slotFor(std::nullopt, "Figma"), "slack");
    EXPECT_FALSE(map.takeNewLoadError());

    now += 1ms;
    EXPECT_EQ(slotFor(std::nullopt, "Figma"), "cursor");
    EXPECT_FALSE(map.takeNewLoadError());
}

// One save of the rules file (none: deleted), and the parse error it must newly report.
struct Save {
    std::optional<std::string_view> text;
    std::optional<std::string> reported;
};

struct BreakageCase {
    std::string_view name;
    std::vector<Save> saves;
};

class ParseErrorReportTest : public LayerMapTest,
                             public testing::WithParamInterface<BreakageCase> {};

TEST_P(ParseErrorReportTest, ComesOncePerBrokenVersion) {
    std::time_t seconds = 1000;
    for (const Save& save : GetParam().saves) {
        if (save.text) {
            edit(*save.text, ++seconds);
        } else {
            std::filesystem::remove(rulesFile);
        }
        slotFor(std::nullopt, "Figma");
        const auto error = map.takeNewLoadError();
        EXPECT_EQ(error ? std::optional<std::string>(error->what()) : std::nullopt, save.reported)
            << "after saving " << testing::PrintToString(save.text);
    }
}

const std::string unknownFigma = "Unknown profile slot: figma";

INSTANTIATE_TEST_SUITE_P(
    Saves, ParseErrorReportTest,
    testing::Values(
        BreakageCase{"SameBrokenTextSavedAgain",
                     {{"slack: Figma", {}}, {"figma: Slack", unknownFigma}, {"figma: Slack", {}}}},
        BreakageCase{
            "AnotherBrokenText",
            {{"figma: Slack", unknownFigma}, {"Figma", std::string(test::expectedRulesMessage)}}},
        BreakageCase{
            "BrokenAgainAfterAFix",
            {{"figma: Slack", unknownFigma}, {"slack: Figma", {}}, {"figma: Slack", unknownFigma}}},
        BreakageCase{"DeletedAndCreatedAgain",
                     {{"figma: Slack", unknownFigma}, {{}, {}}, {"figma: Slack", {}}}},
        BreakageCase{"NotText",
                     {{"cursor: Fig\xFFma", "not valid UTF-8 text"}, {"cursor: Fig\xFF", {}}}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace dorvane
