#include <CoreFoundation/CoreFoundation.h>

#include "platform/macos/CFHandles.hpp"
#include "platform/macos/CFStrings.hpp"
#include "text/Unicode.hpp"

namespace dorvane::unicode {
namespace {

// A NULL locale asks for the canonical, locale-independent mapping.
std::string lowercased(CFStringRef text) {
    const CFRef<CFMutableStringRef> lower(CFStringCreateMutableCopy(kCFAllocatorDefault, 0, text));
    CFStringLowercase(lower.get(), nullptr);
    return toUTF8(lower.get());
}

}  // namespace

// CoreFoundation may drop a leading byte-order mark; here it is a character like any other.
std::optional<std::u32string> decodeUTF8(std::string_view bytes) {
    const CFRef<CFStringRef> text = makeCFString(bytes);
    if (!text) {
        return std::nullopt;
    }
    std::u32string characters = toUTF32(text.get());
    if (bytes.starts_with("\xEF\xBB\xBF") && !characters.starts_with(U'\uFEFF')) {
        characters.insert(characters.begin(), U'\uFEFF');
    }
    return characters;
}

std::string lowercased(std::u32string_view text) {
    const CFRef<CFStringRef> string = makeCFString(text);
    return string ? lowercased(string.get()) : std::string();
}

// CoreFoundation refuses ill-formed bytes instead of replacing them. The names it is given here
// come from AppKit's own strings, which are always well-formed, so such text is left as it is.
std::string lowercased(std::string_view utf8) {
    const CFRef<CFStringRef> string = makeCFString(utf8);
    return string ? lowercased(string.get()) : std::string(utf8);
}

// The predefined whitespace set is Zs plus the tab.
bool isSpaceSeparator(char32_t c) {
    return c != U'\t' && CFCharacterSetIsLongCharacterMember(
                             CFCharacterSetGetPredefined(kCFCharacterSetWhitespace), c);
}

// Case-insensitive under the user's current locale.
bool containsIgnoringCase(std::string_view text, std::string_view part) {
    const CFRef<CFStringRef> haystack = makeCFString(text);
    const CFRef<CFStringRef> needle = makeCFString(part);
    if (!haystack || !needle) {
        return false;
    }
    const CFRef<CFLocaleRef> locale(CFLocaleCopyCurrent());
    return CFStringFindWithOptionsAndLocale(haystack.get(), needle.get(),
                                            CFRangeMake(0, CFStringGetLength(haystack.get())),
                                            kCFCompareCaseInsensitive, locale.get(), nullptr);
}

// Composed character sequences are CoreFoundation's characters as a reader sees them. Text that is
// not well-formed UTF-8 never comes from AppKit; none of it is kept.
std::size_t sizeOfLeadingCharacters(std::string_view utf8, std::size_t count) {
    const CFRef<CFStringRef> text = makeCFString(utf8);
    if (!text) {
        return 0;
    }
    const CFIndex length = CFStringGetLength(text.get());
    CFIndex end = 0;
    for (std::size_t taken = 0; taken < count && end < length; ++taken) {
        const CFRange character = CFStringGetRangeOfComposedCharactersAtIndex(text.get(), end);
        end = character.location + character.length;
    }
    CFIndex size = 0;
    CFStringGetBytes(text.get(), CFRangeMake(0, end), kCFStringEncodingUTF8, 0, false, nullptr, 0,
                     &size);
    return static_cast<std::size_t>(size);
}

}  // namespace dorvane::unicode
