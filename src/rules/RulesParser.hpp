#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <string_view>

namespace dorvane {

// Lower-cased bundle identifier or display name → profile slot. Ordered by key (byte order).
using Rules = std::map<std::string, std::string>;

// The rules of a file, and for each key the line that gave it its slot: its last mention.
struct ParsedRules {
    Rules rules;
    std::map<std::string, std::size_t> lines;
};

// The rules of a whole rules file; throws RulesError. `text` must be valid UTF-8.
Rules parseRules(std::string_view text);
// The same, keeping the line of each key.
ParsedRules parseRulesWithLines(std::string_view text);

}  // namespace dorvane
