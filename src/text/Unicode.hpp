#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Unicode services the core needs. Linux implements them with ICU, macOS with CoreFoundation,
// so no case table or character database is written by hand.
namespace dorvane::unicode {

// Decodes strict UTF-8; nullopt when the bytes are not well-formed UTF-8.
std::optional<std::u32string> decodeUTF8(std::string_view bytes);

// The Unicode default full lower-case mapping in the root locale ("İ" becomes "i̇", "ΟΔΟΣ"
// becomes "οδος"), encoded as UTF-8.
std::string lowercased(std::u32string_view text);

// The same for UTF-8 input. ICU replaces ill-formed bytes by U+FFFD first; CoreFoundation,
// whose own strings are never ill-formed, leaves such text as it is.
std::string lowercased(std::string_view utf8);

// True for the characters of general category Zs (space separators).
bool isSpaceSeparator(char32_t c);

// Whether `part` occurs in `text`, ignoring case: full case folding with ICU, the user's
// locale with CoreFoundation.
bool containsIgnoringCase(std::string_view text, std::string_view part);

// How many bytes the first `count` characters of `utf8` take, a character being what a reader
// sees as one (a letter with its accents, a flag, an emoji with its modifiers); the whole size
// when the text holds no more. ICU reads each ill-formed sequence as one character;
// CoreFoundation, as above, takes none of such text.
std::size_t sizeOfLeadingCharacters(std::string_view utf8, std::size_t count);

}  // namespace dorvane::unicode
