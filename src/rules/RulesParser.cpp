#include "rules/RulesParser.hpp"

#include <algorithm>
#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "rules/LayerMap.hpp"
#include "rules/RulesError.hpp"
#include "text/Unicode.hpp"

namespace dorvane {
namespace {

constexpr std::string_view expectedRulesMessage =
    "Expected app rules like cursor: Figma, com.figma.Desktop.";
constexpr std::string_view unknownSlotMessage = "Unknown profile slot: ";
constexpr std::string_view noRulesMessage = "This file has no Dorvane app rules.";

bool isLineBreak(char32_t c) {
    return (c >= U'\n' && c <= U'\r') || c == U'\u0085' || c == U'\u2028' || c == U'\u2029';
}

bool isWhiteSpace(char32_t c) {
    return c == U'\t' || unicode::isSpaceSeparator(c);
}

bool isWhiteSpaceOrLineBreak(char32_t c) {
    return isWhiteSpace(c) || isLineBreak(c);
}

bool isItemSeparator(char32_t c) {
    return c == U',' || c == U';';
}

template <typename Predicate>
std::u32string_view trimmed(std::u32string_view text, Predicate isTrimmed) {
    const auto first = std::find_if_not(text.begin(), text.end(), isTrimmed);
    const auto last = std::find_if_not(text.rbegin(), text.rend(), isTrimmed).base();
    return first < last ? std::u32string_view(first, last) : std::u32string_view();
}

// Cuts at every separator, keeping empty pieces.
template <typename Predicate>
std::vector<std::u32string_view> split(std::u32string_view text, Predicate isSeparator) {
    std::vector<std::u32string_view> pieces;
    auto start = text.begin();
    for (auto it = text.begin(); it != text.end(); ++it) {
        if (isSeparator(*it)) {
            pieces.emplace_back(start, it);
            start = it + 1;
        }
    }
    pieces.emplace_back(start, text.end());
    return pieces;
}

// Line numbers as an editor shows them: a CR LF pair ends one line, any other break ends one.
std::vector<std::size_t> editorLineNumbers(std::u32string_view text) {
    std::vector<std::size_t> numbers{1};
    std::size_t number = 1;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (isLineBreak(text[i])) {
            const bool endsCRLF = text[i] == U'\n' && i > 0 && text[i - 1] == U'\r';
            number += endsCRLF ? 0 : 1;
            numbers.push_back(number);
        }
    }
    return numbers;
}

std::string slotOf(std::u32string_view rule, std::size_t lineNumber) {
    std::string slot = unicode::lowercased(trimmed(rule, isWhiteSpace));
    if (!LayerMap::isLayer(slot)) {
        throw RulesError(std::string(unknownSlotMessage) + slot, lineNumber);
    }
    return slot;
}

void addItems(std::u32string_view items, const std::string& slot, std::size_t lineNumber,
              ParsedRules& parsed) {
    for (const auto piece : split(items, isItemSeparator)) {
        const auto item = trimmed(piece, isWhiteSpace);
        if (!item.empty()) {
            std::string key = unicode::lowercased(item);
            parsed.lines.insert_or_assign(key, lineNumber);
            parsed.rules.insert_or_assign(std::move(key), slot);
        }
    }
}

// Adds the line's rules; false when the line holds no app rule (blank or comment).
bool addLine(std::u32string_view rawLine, std::size_t lineNumber, ParsedRules& parsed) {
    const auto line = trimmed(rawLine, isWhiteSpaceOrLineBreak);
    if (line.empty() || line.front() == U'#') {
        return false;
    }
    const auto colon = line.find(U':');
    if (colon == std::u32string_view::npos) {
        throw RulesError(std::string(expectedRulesMessage), lineNumber);
    }
    const std::string slot = slotOf(line.substr(0, colon), lineNumber);
    addItems(line.substr(colon + 1), slot, lineNumber, parsed);
    return true;
}

}  // namespace

Rules parseRules(std::string_view text) {
    return parseRulesWithLines(text).rules;
}

ParsedRules parseRulesWithLines(std::string_view text) {
    const std::optional<std::u32string> decoded = unicode::decodeUTF8(text);
    if (!decoded) {
        throw std::invalid_argument("rules text is not valid UTF-8");
    }
    const auto lines = split(*decoded, isLineBreak);
    const auto lineNumbers = editorLineNumbers(*decoded);
    ParsedRules parsed;
    std::size_t ruleCount = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        ruleCount += addLine(lines[i], lineNumbers[i], parsed) ? 1 : 0;
    }
    if (ruleCount == 0) {
        throw RulesError(std::string(noRulesMessage), std::nullopt);
    }
    return parsed;
}

}  // namespace dorvane
