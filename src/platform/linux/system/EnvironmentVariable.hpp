#pragma once

#include <cstdlib>
#include <optional>
#include <string_view>

namespace dorvane {

// A variable of this process's environment; none when it is unset. Read afresh at each call, so
// that a test may set it.
inline std::optional<std::string_view> environmentVariable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::optional<std::string_view>(value) : std::nullopt;
}

}  // namespace dorvane
