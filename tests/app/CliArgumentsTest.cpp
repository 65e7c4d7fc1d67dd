// Which arguments start the companion and which a diagnostic command.
#include <gtest/gtest.h>

#include "app/Cli.hpp"

namespace dorvane::test {
namespace {

struct ArgumentsCase {
    std::vector<std::string> args;
    bool withSerialNumber;
    bool companion;
};

class RunsCompanion : public ::testing::TestWithParam<ArgumentsCase> {};

TEST_P(RunsCompanion, OnlyWithoutArgumentsOrALoneSerialNumberWhereTheLauncherPassesOne) {
    const ArgumentsCase& c = GetParam();
    EXPECT_EQ(runsCompanion(c.args, c.withSerialNumber), c.companion);
}

INSTANTIATE_TEST_SUITE_P(Arguments, RunsCompanion,
                         ::testing::Values(ArgumentsCase{{}, false, true},
                                           ArgumentsCase{{}, true, true},
                                           ArgumentsCase{{"-psn_0_1234567"}, true, true},
                                           ArgumentsCase{{"-psn_0_1234567"}, false, false},
                                           ArgumentsCase{{"-psn_0_1234567", "pads"}, true, false},
                                           ArgumentsCase{{"pads"}, true, false},
                                           ArgumentsCase{{"-psn"}, true, false}));

}  // namespace
}  // namespace dorvane::test
