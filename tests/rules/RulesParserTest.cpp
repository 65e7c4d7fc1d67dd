// The rules parser: text in, the rules or the exact error and its line out.
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
        const ParsedRules parsed = parseRulesWithLines(parserCase.text);
        EXPECT_EQ(parsed.rules, rulesOf(parserCase.rules));
        for (const auto& [key, line] : parserCase.lines) {
            EXPECT_EQ(parsed.lines.at(std::string(key)), line) << key;
        }
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
