// Where the rules file lives on macOS.
#include <gtest/gtest.h>

#include "rules/RulesLocation.hpp"

namespace dorvane {
namespace {

TEST(MacRulesLocationTest, IsInApplicationSupportUnderTheHomeFolder) {
    const std::string rulesFile = defaultRulesFile().string();

    EXPECT_EQ(rulesFile.front(), '/');
    EXPECT_TRUE(rulesFile.ends_with("/Library/Application Support/Dorvane/apps.txt")) << rulesFile;
}

}  // namespace
}  // namespace dorvane
