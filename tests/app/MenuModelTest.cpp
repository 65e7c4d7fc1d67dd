#include "app/MenuModel.hpp"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace dorvane
