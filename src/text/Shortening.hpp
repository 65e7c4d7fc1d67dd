#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "text/Unicode.hpp"

// Bounds on texts that come from outside: what other programs report, and what the user reads.
namespace dorvane::text {

// A name or message is shown with at most this many characters, so that a made-up one neither
// widens a menu across the screen nor fills a notification.
inline constexpr std::size_t shownCharacters = 80;

// The longest start of `utf8` that holds at most `maxBytes` bytes without splitting a character's
// bytes; it stays well-formed when `utf8` is.
inline std::string_view cutToSize(std::string_view utf8, std::size_t maxBytes) {
    if (utf8.size() <= maxBytes) {
        return utf8;
    }
    std::size_t end = maxBytes;
    // A continuation byte (10xxxxxx) never starts a character.
    while (end > 0 && (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80) {
        --end;
    }
    return utf8.substr(0, end);
}

// `text` as shown to the user: whole when it holds at most `shownCharacters` characters, else
// its first characters and "…", that many in all.
inline std::string shortened(std::string_view text) {
    if (unicode::sizeOfLeadingCharacters(text, shownCharacters) == text.size()) {
        return std::string(text);
    }
    std::string kept(text.substr(0, unicode::sizeOfLeadingCharacters(text, shownCharacters - 1)));
    return kept + "\u2026";
}

}  // namespace dorvane::text
