#include "rules/RulesLoadErrors.hpp"

#include <functional>
#include <utility>

namespace dorvane {
namespace {

// An item that holds no rules text has no text to tell its versions apart, so it is known by
// what is wrong with it: a log or a folder at the rules path is not reported at each change.
std::size_t brokenVersionOf(std::string_view text, const RulesError& error) {
    const std::hash<std::string_view> hash;
    return hash(text) ^ (hash(error.what()) << 1);
}

}  // namespace

void RulesLoadErrors::note(std::string_view text, const RulesError& error) {
    const std::size_t version = brokenVersionOf(text, error);
    if (reportedVersion_ != version) {
        reportedVersion_ = version;
        unreported_ = error;
    }
}

void RulesLoadErrors::forget() {
    reportedVersion_.reset();
    unreported_.reset();
}

std::optional<RulesError> RulesLoadErrors::takeNew() {
    return std::exchange(unreported_, std::nullopt);
}

}  // namespace dorvane
