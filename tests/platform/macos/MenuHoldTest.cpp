// When a new menu model shows on macOS: at once while the menu is closed, only the latest once it
// closes.
#include "platform/macos/MenuHold.hpp"

#include <gtest/gtest.h>

namespace dorvane {
namespace {

MenuModel modelWithTooltip(const char* tooltip) {
    return MenuModel{{}, tooltip};
}

TEST(MenuHold, ShowsAtOnceWhileTheMenuIsClosed) {
    MenuHold hold;

    EXPECT_FALSE(hold.holdBack(modelWithTooltip("a")));
    EXPECT_EQ(hold.closed(), std::nullopt);
}

TEST(MenuHold, KeepsOnlyTheLatestModelUntilTheMenuCloses) {
    MenuHold hold;
    hold.opened();

    EXPECT_TRUE(hold.holdBack(modelWithTooltip("a")));
    EXPECT_TRUE(hold.holdBack(modelWithTooltip("b")));

    EXPECT_EQ(hold.closed(), modelWithTooltip("b"));
    EXPECT_EQ(hold.closed(), std::nullopt) << "a held model is shown once";
    EXPECT_FALSE(hold.holdBack(modelWithTooltip("c")));
}

TEST(MenuHold, AMenuOpenedAndClosedWithNoChangeLeavesNothingToShow) {
    MenuHold hold;
    hold.opened();

    EXPECT_EQ(hold.closed(), std::nullopt);
}

}  // namespace
}  // namespace dorvane
