#include "platform/macos/CFStrings.hpp"

#include <cstring>

// Apple's processors are little-endian, so char32_t text is UTF-32LE in memory.
namespace dorvane {
namespace {

CFRef<CFStringRef> makeCFString(const void* bytes, std::size_t size, CFStringEncoding encoding) {
    return CFRef<CFStringRef>(CFStringCreateWithBytes(kCFAllocatorDefault,
                                                      static_cast<const UInt8*>(bytes),
                                                      static_cast<CFIndex>(size), encoding, false));
}

// Measured first, then converted: CFStringGetBytes copies exactly, NUL characters included.
std::string encoded(CFStringRef text, CFStringEncoding encoding) {
    const CFRange whole = CFRangeMake(0, CFStringGetLength(text));
    CFIndex size = 0;
    CFStringGetBytes(text, whole, encoding, 0, false, nullptr, 0, &size);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    CFStringGetBytes(text, whole, encoding, 0, false, reinterpret_cast<UInt8*>(bytes.data()), size,
                     nullptr);
    return bytes;
}

}  // namespace

CFRef<CFStringRef> makeCFString(std::string_view utf8) {
    return makeCFString(utf8.data(), utf8.size(), kCFStringEncodingUTF8);
}

CFRef<CFStringRef> makeCFString(std::u32string_view text) {
    return makeCFString(text.data(), text.size() * sizeof(char32_t), kCFStringEncodingUTF32LE);
}

std::string toUTF8(CFStringRef text) {
    return encoded(text, kCFStringEncodingUTF8);
}

std::u32string toUTF32(CFStringRef text) {
    const std::string bytes = encoded(text, kCFStringEncodingUTF32LE);
    std::u32string characters(bytes.size() / sizeof(char32_t), U'\0');
    std::memcpy(characters.data(), bytes.data(), characters.size() * sizeof(char32_t));
    return characters;
}

}  // namespace dorvane
