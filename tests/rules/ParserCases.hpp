#pragma once

// Rules texts and what the parser makes of them. The parser test runs every case, and the fuzz
// target's seed corpus is written from the same texts.

#include <cstddef>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace dorvane::test {

constexpr std::string_view expectedRulesMessage =
    "Expected app rules like cursor: Figma, com.figma.Desktop.";
constexpr std::string_view noRulesMessage = "This file has no Dorvane app rules.";

constexpr std::string_view defaultRulesText =
    "cursor: Cursor, com.anysphere.cursor\n"
    "chrome: Google Chrome, com.google.Chrome\n"
    "slack: Slack, com.tinyspeck.slackmacgap\n";
static_assert(defaultRulesText.size() == 118);

using ExpectedRules = std::vector<std::pair<std::string_view, std::string_view>>;
// Key → the line that gave it its slot; checked where a case lists any.
using ExpectedLines = std::vector<std::pair<std::string_view, std::size_t>>;

inline const ExpectedRules defaultRules = {
    {"cursor", "cursor"},        {"com.anysphere.cursor", "cursor"},
    {"google chrome", "chrome"}, {"com.google.chrome", "chrome"},
    {"slack", "slack"},          {"com.tinyspeck.slackmacgap", "slack"},
};

struct ParseFailure {
    std::string_view message;
    std::optional<std::size_t> line;
};

struct ParserCase {
    std::string_view name;  // also the seed's file name
    std::string_view text;
    ExpectedRules rules;
    std::optional<ParseFailure> failure;
    ExpectedLines lines = {};
};

inline ParserCase parsesTo(std::string_view name, std::string_view text, ExpectedRules rules,
                           ExpectedLines lines = {}) {
    return {name, text, std::move(rules), std::nullopt, std::move(lines)};
}

inline ParserCase failsWith(std::string_view name, std::string_view text, std::string_view message,
                            std::optional<std::size_t> line) {
    return {name, text, {}, ParseFailure{message, line}};
}

// Escapes for the invisible characters, split off so that no hex escape swallows a letter.
#define NBSP "\xC2\xA0"
#define NEL "\xC2\x85"
#define LINE_SEPARATOR "\xE2\x80\xA8"
#define PARAGRAPH_SEPARATOR "\xE2\x80\xA9"
#define IDEOGRAPHIC_SPACE "\xE3\x80\x80"
#define EM_SPACE "\xE2\x80\x83"
#define ZERO_WIDTH_SPACE "\xE2\x80\x8B"
#define BYTE_ORDER_MARK "\xEF\xBB\xBF"
#define DOTTED_CAPITAL_I "\xC4\xB0"
#define DOTTED_SMALL_I "i\xCC\x87"

inline const std::vector<ParserCase> parserCases = {
    parsesTo("DefaultRulesText", defaultRulesText, defaultRules),
    parsesTo("CRLFLineEnds",
             "cursor: Cursor, com.anysphere.cursor\r\n"
             "chrome: Google Chrome, com.google.Chrome\r\n"
             "slack: Slack, com.tinyspeck.slackmacgap\r\n",
             defaultRules),
    parsesTo("LoneCRLineEnds",
             "cursor: Cursor, com.anysphere.cursor\r"
             "chrome: Google Chrome, com.google.Chrome\r"
             "slack: Slack, com.tinyspeck.slackmacgap",
             defaultRules),
    parsesTo("UnicodeLineBreaks",
             "cursor: A" LINE_SEPARATOR "chrome: B" PARAGRAPH_SEPARATOR "slack: C" NEL
             "general: D\vcursor: E\fslack: F",
             {{"a", "cursor"},
              {"b", "chrome"},
              {"c", "slack"},
              {"d", "general"},
              {"e", "cursor"},
              {"f", "slack"}},
             {{"a", 1}, {"b", 2}, {"c", 3}, {"d", 4}, {"e", 5}, {"f", 6}}),
    parsesTo("SpaceSeparatorBlanks",
             NBSP "cursor" IDEOGRAPHIC_SPACE ":" NBSP "Figma" IDEOGRAPHIC_SPACE
                  ",\tcom.figma.Desktop" EM_SPACE,
             {{"figma", "cursor"}, {"com.figma.desktop", "cursor"}}),
    parsesTo("BlanksInsideItemsKept", "cursor: Google  Chrome, Visual" NBSP "Studio",
             {{"google  chrome", "cursor"}, {"visual" NBSP "studio", "cursor"}}),
    parsesTo("ColonsBelongToItems", "slack: Team: Chat, https://x:8080",
             {{"team: chat", "slack"}, {"https://x:8080", "slack"}}),
    parsesTo("HashInsideLine", "cursor: Figma # design tool", {{"figma # design tool", "cursor"}}),
    parsesTo("IndentedComments", " \t# cursor: Figma\n" IDEOGRAPHIC_SPACE "#slack\nchrome: Arc",
             {{"arc", "chrome"}}),
    parsesTo("LastMentionWins", "cursor: Figma, Arc\nslack: FIGMA\nchrome: figma",
             {{"figma", "chrome"}, {"arc", "cursor"}}, {{"figma", 3}, {"arc", 1}}),
    parsesTo("LinesAsAnEditorCountsThem", "# mine\r\n\r\ncursor: Figma\n\rslack: Arc",
             {{"figma", "cursor"}, {"arc", "slack"}}, {{"figma", 3}, {"arc", 5}}),
    parsesTo("SeparatorsOnly", "slack: , ;", {}),
    parsesTo("RuleWithoutItemsAmongComments", "# mine\n\ngeneral:\n", {}),
    parsesTo("CapitalSlotAndSemicolon", "  CHROME  : Google Chrome; com.google.Chrome",
             {{"google chrome", "chrome"}, {"com.google.chrome", "chrome"}}),
    parsesTo(
        "FullLowerCaseMapping",
        "cursor: \xCE\x9F\xCE\x94\xCE\x9F\xCE\xA3, " DOTTED_CAPITAL_I "stanbul",
        {{"\xCE\xBF\xCE\xB4\xCE\xBF\xCF\x82", "cursor"}, {DOTTED_SMALL_I "stanbul", "cursor"}}),

    failsWith("EmptyFile", "", noRulesMessage, std::nullopt),
    failsWith("OnlyBlanksAndComments", "\n  \t\n# cursor: Figma\r\n   # x\n", noRulesMessage,
              std::nullopt),
    failsWith("OnlyLineBreaks", "\r\n" LINE_SEPARATOR NEL, noRulesMessage, std::nullopt),
    failsWith("NameAlone", "Figma", expectedRulesMessage, 1),
    failsWith("NameAloneBeforeRules", "Figma\ncursor: Figma", expectedRulesMessage, 1),
    failsWith("StopsAtFirstBadLine", "cursor: Figma\n\nFigma\nmail: x", expectedRulesMessage, 3),
    failsWith("UnknownSlot", "Figma: com.figma.Desktop", "Unknown profile slot: figma", 1),
    failsWith("UnknownSlotTrimmedAndLowered", " " NBSP " Mail App\t: x",
              "Unknown profile slot: mail app", 1),
    failsWith("LeadingColon", ":cursor", "Unknown profile slot: ", 1),
    failsWith("UnknownSlotFullMapping", DOTTED_CAPITAL_I ": x",
              "Unknown profile slot: " DOTTED_SMALL_I, 1),
    failsWith("ZeroWidthSpaceIsNotWhiteSpace", "slack" ZERO_WIDTH_SPACE ": x",
              "Unknown profile slot: slack" ZERO_WIDTH_SPACE, 1),
    failsWith("ByteOrderMarkIsText", BYTE_ORDER_MARK "cursor: x",
              "Unknown profile slot: " BYTE_ORDER_MARK "cursor", 1),
    failsWith("CRLFCountsAsOneLineBreak", "cursor: a\r\n\r\nFigma", expectedRulesMessage, 3),
    failsWith("LoneCRCountsAsALineBreak", "cursor: a\r\rFigma", expectedRulesMessage, 3),
    failsWith("LFCRCountsAsTwoLineBreaks", "cursor: a\n\rFigma", expectedRulesMessage, 3),
    failsWith("UnicodeLineBreaksCount",
              "cursor: a" LINE_SEPARATOR NEL PARAGRAPH_SEPARATOR "\v\f\r\nslack: b\nFigma",
              expectedRulesMessage, 8),
};

#undef NBSP
#undef NEL
#undef LINE_SEPARATOR
#undef PARAGRAPH_SEPARATOR
#undef IDEOGRAPHIC_SPACE
#undef EM_SPACE
#undef ZERO_WIDTH_SPACE
#undef BYTE_ORDER_MARK
#undef DOTTED_CAPITAL_I
#undef DOTTED_SMALL_I

}  // namespace dorvane::test
