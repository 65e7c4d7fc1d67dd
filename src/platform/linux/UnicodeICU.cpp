#include <unicode/uchar.h>
#include <unicode/ustring.h>
#include <unicode/utypes.h>

#include <algorithm>

#include "text/Unicode.hpp"

namespace dorvane::unicode {
namespace {

constexpr UChar32 replacementCharacter = 0xFFFD;

std::u16string toUTF16(std::u32string_view text) {
    UErrorCode status = U_ZERO_ERROR;
    int32_t length = 0;
    auto* source = reinterpret_cast<const UChar32*>(text.data());
    u_strFromUTF32(nullptr, 0, &length, source, static_cast<int32_t>(text.size()), &status);
    std::u16string result(static_cast<std::size_t>(length), u'\0');
    status = U_ZERO_ERROR;
    u_strFromUTF32(result.data(), length, nullptr, source, static_cast<int32_t>(text.size()),
                   &status);
    return result;
}

std::u16string toUTF16Lenient(std::string_view utf8) {
    UErrorCode status = U_ZERO_ERROR;
    int32_t length = 0;
    u_strFromUTF8WithSub(nullptr, 0, &length, utf8.data(), static_cast<int32_t>(utf8.size()),
                         replacementCharacter, nullptr, &status);
    std::u16string result(static_cast<std::size_t>(length), u'\0');
    status = U_ZERO_ERROR;
    u_strFromUTF8WithSub(result.data(), length, nullptr, utf8.data(),
                         static_cast<int32_t>(utf8.size()), replacementCharacter, nullptr, &status);
    return result;
}

std::string toUTF8(const std::u16string& text) {
    UErrorCode status = U_ZERO_ERROR;
    int32_t length = 0;
    u_strToUTF8(nullptr, 0, &length, text.data(), static_cast<int32_t>(text.size()), &status);
    std::string result(static_cast<std::size_t>(length), '\0');
    status = U_ZERO_ERROR;
    u_strToUTF8(result.data(), length, nullptr, text.data(), static_cast<int32_t>(text.size()),
                &status);
    return result;
}

// The mapping can lengthen the text ("İ" becomes two code points), so the size is asked first.
std::u16string lower(const std::u16string& text) {
    UErrorCode status = U_ZERO_ERROR;
    int32_t length =
        u_strToLower(nullptr, 0, text.data(), static_cast<int32_t>(text.size()), "", &status);
    std::u16string result(static_cast<std::size_t>(length), u'\0');
    status = U_ZERO_ERROR;
    u_strToLower(result.data(), length, text.data(), static_cast<int32_t>(text.size()), "",
                 &status);
    return result;
}

std::u16string folded(const std::u16string& text) {
    UErrorCode status = U_ZERO_ERROR;
    int32_t length = u_strFoldCase(nullptr, 0, text.data(), static_cast<int32_t>(text.size()),
                                   U_FOLD_CASE_DEFAULT, &status);
    std::u16string result(static_cast<std::size_t>(length), u'\0');
    status = U_ZERO_ERROR;
    u_strFoldCase(result.data(), length, text.data(), static_cast<int32_t>(text.size()),
                  U_FOLD_CASE_DEFAULT, &status);
    return result;
}

}  // namespace

std::optional<std::u32string> decodeUTF8(std::string_view bytes) {
    // u_strFromUTF8 refuses ill-formed input (overlong forms, surrogates, truncated sequences)
    // with U_INVALID_CHAR_FOUND.
    UErrorCode status = U_ZERO_ERROR;
    int32_t length16 = 0;
    u_strFromUTF8(nullptr, 0, &length16, bytes.data(), static_cast<int32_t>(bytes.size()), &status);
    if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status)) {
        return std::nullopt;
    }
    std::u16string utf16(static_cast<std::size_t>(length16), u'\0');
    status = U_ZERO_ERROR;
    u_strFromUTF8(utf16.data(), length16, nullptr, bytes.data(), static_cast<int32_t>(bytes.size()),
                  &status);
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

}  // namespace dorvane::unicode
