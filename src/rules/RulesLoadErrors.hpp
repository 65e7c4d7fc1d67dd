#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "rules/RulesError.hpp"

namespace dorvane {

// Which of the rules file's load errors are news, for LayerMap::takeNewLoadError(): a version is
// told apart from the others by its text, or, holding none, by what is wrong with it.
class RulesLoadErrors {
public:
    // A version failed to load with `text` (empty for an item that holds no rules text).
    void note(std::string_view text, const RulesError& error);

    // A version loaded: whatever breaks next is new.
    void forget();

    // The error noted since the last call, if it is news.
    std::optional<RulesError> takeNew();

private:
    // A hash keeps the broken version's identity without holding up to a mebibyte of its text.
    std::optional<std::size_t> reportedVersion_;
    std::optional<RulesError> unreported_;
};

}  // namespace dorvane
