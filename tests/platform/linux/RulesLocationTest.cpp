// Where the rules file lives on Linux, and which home folder it is under.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/linux/system/HomeFolder.hpp"
#include "platform/linux/system/RulesLocationLinux.hpp"
#include "rules/RulesLocation.hpp"

namespace dorvane {
namespace {

// Sets or unsets an environment variable for one test, and puts the old value back.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, std::optional<std::string> value) : name_(name) {
        if (const char* old = std::getenv(name)) {
            old_ = old;
        }
        assign(value);
    }
    ~ScopedEnvironment() { assign(old_); }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    void assign(const std::optional<std::string>& value) {
        value ? ::setenv(name_, value->c_str(), 1) : ::unsetenv(name_);
    }

    const char* name_;
    std::optional<std::string> old_;
};

struct LocationCase {
    std::optional<std::string_view> xdgConfigHome;
    std::filesystem::path rulesFile;
};

class RulesLocationTest : public testing::TestWithParam<LocationCase> {};

TEST_P(RulesLocationTest, FollowsAnAbsoluteXDGConfigHomeElseHome) {
    EXPECT_EQ(rulesFileUnder(GetParam().xdgConfigHome, "/home/ada"), GetParam().rulesFile);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, RulesLocationTest,
    testing::Values(LocationCase{"/srv/config", "/srv/config/dorvane/apps.txt"},
                    LocationCase{"config", "/home/ada/.config/dorvane/apps.txt"},
                    LocationCase{"", "/home/ada/.config/dorvane/apps.txt"},
                    LocationCase{std::nullopt, "/home/ada/.config/dorvane/apps.txt"}));

TEST(HomeFolderTest, IsHOMEWhenAbsolute) {
    ScopedEnvironment home("HOME", "/home/ada");
    EXPECT_EQ(homeFolder(), "/home/ada");
}

TEST(HomeFolderTest, FallsBackToThePasswordDatabase) {
    ScopedEnvironment unset("HOME", std::nullopt);
    const std::filesystem::path fromDatabase = homeFolder();
    EXPECT_TRUE(fromDatabase.is_absolute());

    ScopedEnvironment relative("HOME", "ada");
    EXPECT_EQ(homeFolder(), fromDatabase);
}

TEST(DefaultRulesFileTest, ReadsTheEnvironment) {
    ScopedEnvironment home("HOME", "/home/ada");
    {
        ScopedEnvironment config("XDG_CONFIG_HOME", "/srv/config");
        EXPECT_EQ(defaultRulesFile(), "/srv/config/dorvane/apps.txt");
    }
    ScopedEnvironment config("XDG_CONFIG_HOME", std::nullopt);
    EXPECT_EQ(defaultRulesFile(), "/home/ada/.config/dorvane/apps.txt");
}

}  // namespace
}  // namespace dorvane
