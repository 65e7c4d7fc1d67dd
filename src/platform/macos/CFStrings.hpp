#pragma once

#include <string>
#include <string_view>

#include "platform/macos/CFHandles.hpp"

namespace dorvane {

// The text as a CFString; empty (no reference) when the bytes are not well-formed UTF-8.
CFRef<CFStringRef> makeCFString(std::string_view utf8);

// The same for UTF-32 text.
CFRef<CFStringRef> makeCFString(std::u32string_view text);

// The string's characters as UTF-8.
std::string toUTF8(CFStringRef text);

// The string's characters as UTF-32.
std::u32string toUTF32(CFStringRef text);

}  // namespace dorvane
