#pragma once

namespace dorvane::text {

// Stands where a name is not known: in the menu and in what `dorvane frontmost` prints (U+2014).
inline constexpr const char* noName = "\u2014";

}  // namespace dorvane::text
