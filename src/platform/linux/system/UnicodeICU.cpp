#include <unicode/localpointer.h>
#include <unicode/ubrk.h>
#include <unicode/uchar.h>
#include <unicode/ustring.h>
#include <unicode/utext.h>
#include <unicode/utypes.h>

#include <algorithm>

#include "text/Unicode.hpp"

namespace dorvane::unicode {
namespace {

constexpr UChar32 replacementCharacter = 0xFFFD;

// ICU writes its output into a buffer of the caller's and returns the length the whole output
// takes, so the length is asked first with no buffer and the output then written into one of
// that size. `write(buffer, capacity, status)` returns the length; `status` is the writing's.
template <typename Text, typename Write>
Text measuredThenWritten(const Write& write, UErrorCode& status) {
    status = U_ZERO_ERROR;
    const int32_t length = write(nullptr, 0, status);
    Text result(static_cast<std::size_t>(length), typename Text::value_type{});
    status = U_ZERO_ERROR;
    write(result.data(), length, status);
    return result;
}

// The same, for callers that have nothing better to offer than what was written.
template <typename Text, typename Write>
Text measuredThenWritten(const Write& write) {
    UErrorCode status = U_ZERO_ERROR;
    return measuredThenWritten<Text>(write, status);
}

std::u16string toUTF16(std::u32string_view text) {
    auto* source = reinterpret_cast<const UChar32*>(text.data());
    return measuredThenWritten<std::u16string>(
        [&](UChar* buffer, int32_t capacity, UErrorCode& status) {
            int32_t length = 0;
            u_strFromUTF32(buffer, capacity, &length, source, static_cast<int32_t>(text.size()),
                           &status);
            return length;
        });
}

std::u16string toUTF16Lenient(std::string_view utf8) {
    return measuredThenWritten<std::u16string>(
        [&](UChar* buffer, int32_t capacity, UErrorCode& status) {
            int32_t length = 0;
            u_strFromUTF8WithSub(buffer, capacity, &length, utf8.data(),
                                 static_cast<int32_t>(utf8.size()), replacementCharacter, nullptr,
                                 &status);
            return length;
        });
}

std::string toUTF8(const std::u16string& text) {
    return measuredThenWritten<std::string>(
        [&](char* buffer, int32_t capacity, UErrorCode& status) {
            int32_t length = 0;
            u_strToUTF8(buffer, capacity, &length, text.data(), static_cast<int32_t>(text.size()),
                        &status);
            return length;
        });
}

// The mapping can lengthen the text ("İ" becomes two code points), so the size is asked first.
std::u16string lower(const std::u16string& text) {
    return measuredThenWritten<std::u16string>(
        [&](UChar* buffer, int32_t capacity, UErrorCode& status) {
            return u_strToLower(buffer, capacity, text.data(), static_cast<int32_t>(text.size()),
                                "", &status);
        });
}

std::u16string folded(const std::u16string& text) {
    return measuredThenWritten<std::u16string>(
        [&](UChar* buffer, int32_t capacity, UErrorCode& status) {
            return u_strFoldCase(buffer, capacity, text.data(), static_cast<int32_t>(text.size()),
                                 U_FOLD_CASE_DEFAULT, &status);
        });
}

}  // namespace

std::optional<std::u32string> decodeUTF8(std::string_view bytes) {
    // u_strFromUTF8 refuses ill-formed input (overlong forms, surrogates, truncated sequences)
    // with U_INVALID_CHAR_FOUND.
    UErrorCode status = U_ZERO_ERROR;
    const std::u16string utf16 = measuredThenWritten<std::u16string>(
        [&](UChar* buffer, int32_t capacity, UErrorCode& writing) {
            int32_t length = 0;
            u_strFromUTF8(buffer, capacity, &length, bytes.data(),
                          static_cast<int32_t>(bytes.size()), &writing);
            return length;
        },
        status);
    if (U_FAILURE(status)) {
        return std::nullopt;
    }
    std::u32string result(utf16.size(), U'\0');
    int32_t length32 = 0;
    u_strToUTF32(reinterpret_cast<UChar32*>(result.data()), static_cast<int32_t>(result.size()),
                 &length32, utf16.data(), static_cast<int32_t>(utf16.size()), &status);
    if (U_FAILURE(status)) {
        return std::nullopt;
    }
    result.resize(static_cast<std::size_t>(length32));
    return result;
}

std::string lowercased(std::u32string_view text) {
    return toUTF8(lower(toUTF16(text)));
}

std::string lowercased(std::string_view utf8) {
    return toUTF8(lower(toUTF16Lenient(utf8)));
}

bool isSpaceSeparator(char32_t c) {
    return u_charType(static_cast<UChar32>(c)) == U_SPACE_SEPARATOR;
}

bool containsIgnoringCase(std::string_view text, std::string_view part) {
    const std::u16string haystack = folded(toUTF16Lenient(text));
    const std::u16string needle = folded(toUTF16Lenient(part));
    return std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end()) !=
           haystack.end();
}

// Over UTF-8 text the iterator's offsets are the byte offsets. The only failure left once the
// arguments are right is a failed allocation: nothing is kept then.
std::size_t sizeOfLeadingCharacters(std::string_view utf8, std::size_t count) {
    UErrorCode status = U_ZERO_ERROR;
    icu::LocalUTextPointer text(
        utext_openUTF8(nullptr, utf8.data(), static_cast<int64_t>(utf8.size()), &status));
    icu::LocalUBreakIteratorPointer characters(ubrk_open(UBRK_CHARACTER, "", nullptr, 0, &status));
    ubrk_setUText(characters.getAlias(), text.getAlias(), &status);
    if (U_FAILURE(status)) {
        return 0;
    }
    int32_t end = 0;
    for (std::size_t taken = 0; taken < count; ++taken) {
        const int32_t next = ubrk_next(characters.getAlias());
        if (next == UBRK_DONE) {
            break;
        }
        end = next;
    }
    return static_cast<std::size_t>(end);
}

}  // namespace dorvane::unicode
