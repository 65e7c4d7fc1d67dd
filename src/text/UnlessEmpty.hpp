#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace dorvane {

// An empty text stands for a fact its source does not know: it names nothing.
inline std::optional<std::string> unlessEmpty(std::string_view text) {
    return text.empty() ? std::nullopt : std::optional<std::string>(text);
}

// The same of a text that may be absent already: none (null) unless it is there and not empty.
inline const std::string* nonEmpty(const std::optional<std::string>& text) {
    return text && !text->empty() ? &*text : nullptr;
}

}  // namespace dorvane
