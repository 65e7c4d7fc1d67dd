// The tray menu's model for each state of the companion: its state lines, toggle and tooltip,
// its fixed entries, and names shortened to what fits.
#include "app/MenuModel.hpp"

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "text/Shortening.hpp"

namespace dorvane {
namespace {

struct MenuCase {
    const char* name;
    CompanionState state;
    std::string layerLine;
    std::string padLine;
    std::string toggleTitle;
    std::string tooltip;

    friend void PrintTo(const MenuCase& c, std::ostream* os) { *os << c.name; }
};

class MenuModelTest : public ::testing::TestWithParam<MenuCase> {};

TEST_P(MenuModelTest, StateLinesToggleAndTooltip) {
    const MenuCase& c = GetParam();
    const MenuModel menu = menuModelFor(c.state);

    ASSERT_EQ(menu.items.size(), 10u);
    EXPECT_EQ(menu.items[1].title, c.layerLine);
    EXPECT_EQ(menu.items[2].title, c.padLine);
    EXPECT_EQ(menu.items[6].title, c.toggleTitle);
    EXPECT_EQ(menu.tooltip, c.tooltip);
}

INSTANTIATE_TEST_SUITE_P(
    States, MenuModelTest,
    ::testing::Values(MenuCase{"PausedWithThePadOpen",
                               {"slack", "Slack", true, true, "/dev/ttyACM0"},
                               "Layer: slack",
                               "Pad: paused (port free for configurator)",
                               "Resume companion",
                               "Dorvane \u00b7 slack"},
                      MenuCase{"OpenWithAPath",
                               {"chrome", "Google Chrome", false, true, "/dev/ttyACM0"},
                               "Layer: chrome",
                               "Pad: /dev/ttyACM0",
                               "Pause companion",
                               "Dorvane \u00b7 chrome"},
                      MenuCase{"OpenWithoutAPath",
                               {"chrome", "Google Chrome", false, true, std::nullopt},
                               "Layer: chrome",
                               "Pad: connected",
                               "Pause companion",
                               "Dorvane \u00b7 chrome"},
                      MenuCase{"Closed",
                               {"general", "Figma", false, false, std::nullopt},
                               "Layer: general",
                               "Pad: not found",
                               "Pause companion",
                               "Dorvane \u00b7 general"},
                      MenuCase{"FoundButNotPermitted",
                               {"general", "Figma", false, false, std::nullopt, true},
                               "Layer: general",
                               "Pad: no permission (see README)",
                               "Pause companion",
                               "Dorvane \u00b7 general"},
                      MenuCase{"NoLayerDecidedYet",
                               {std::nullopt, "\u2014", false, false, std::nullopt},
                               "Layer: cursor (default)",
                               "Pad: not found",
                               "Pause companion",
                               "Dorvane \u00b7 general"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MenuModelTest, FixedEntriesInOrder) {
    const MenuModel menu = menuModelFor({"cursor", "\u2014", false, false, std::nullopt});

    const auto none = MenuAction::none;
    const std::vector<MenuItem> expected = {
        {false, "Dorvane", false, none, ""},
        {false, "Layer: cursor", false, none, ""},
        {false, "Pad: not found", false, none, ""},
        {false, "Frontmost: \u2014", false, none, ""},
        {true, "", false, none, ""},
        {false, "Customize keys\u2026", true, MenuAction::openConfigurator, ""},
        {false, "Pause companion", true, MenuAction::togglePause, ""},
        {false, "Import app rules\u2026", true, MenuAction::importAppRules, ""},
        {false, "Edit app rules\u2026", true, MenuAction::editAppRules, ""},
        {false, "Quit Dorvane", true, MenuAction::quit, "q"},
    };
    EXPECT_EQ(menu.items, expected);
}

TEST(MenuModelTest, LongNameIsShortened) {
    CompanionState state{"cursor", std::string(1 << 20, 'x'), false, false, std::nullopt};
    EXPECT_EQ(menuModelFor(state).items[3].title, "Frontmost: " + std::string(68, 'x') + "\u2026");
}

// 80 characters at most, a character being what a reader sees as one.
TEST(ShortenedTextTest, KeepsWholeCharactersUpToEighty) {
    const std::string a78(78, 'a');
    const std::pair<std::string, std::string> cases[] = {
        {"Slack", "Slack"},
        {std::string(80, 'a'), std::string(80, 'a')},
        {std::string(81, 'a'), std::string(79, 'a') + "\u2026"},
        {a78 + "\U0001F1EB\U0001F1F7bb", a78 + "\U0001F1EB\U0001F1F7\u2026"},  // a flag
        {a78 + "e\u0301bb", a78 + "e\u0301\u2026"},                            // an accent
        {a78 + "\u00e9\u00e9", a78 + "\u00e9\u00e9"},
    };
    for (const auto& [text, shown] : cases) {
        EXPECT_EQ(text::shortened(text), shown);
    }
}

}  // namespace
}  // namespace dorvane
