#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "ParserCases.hpp"
#include "rules/LayerMap.hpp"
#include "rules/RulesError.hpp"

namespace dorvane {
namespace test {

void PrintTo(const ParserCase& parserCase, std::ostream* out) {
    *out << parserCase.name;
}

}  // namespace test

namespace {

using test::ParserCase;

Rules rulesOf(const test::ExpectedRules& expected) {
    Rules rules;
    for (const auto& [key, slot] : expected) {
        rules.emplace(key, slot);
    }
    return rules;
}

class RulesParserTest : public testing::TestWithParam<ParserCase> {};

TEST_P(RulesParserTest, GivesTheRulesOrTheExactError) {
    const ParserCase& parserCase = GetParam();
    if (!parserCase.failure) {
        EXPECT_EQ(LayerMap::parse(parserCase.text), rulesOf(parserCase.rules));
        return;
    }
    try {
        const Rules rules = LayerMap::parse(parserCase.text);
        ADD_FAILURE() << "parsed to " << testing::PrintToString(rules);
    } catch (const RulesError& error) {
        EXPECT_EQ(error.what(), parserCase.failure->message);
        EXPECT_EQ(error.line(), parserCase.failure->line);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, RulesParserTest, testing::ValuesIn(test::parserCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace dorvane
