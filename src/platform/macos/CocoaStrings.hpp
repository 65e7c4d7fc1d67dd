#pragma once

// Objective-C++ only: included by the AppKit adapters.
#import <Foundation/Foundation.h>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace dorvane {

inline NSString* toNSString(std::string_view utf8) {
    return [[NSString alloc] initWithBytes:utf8.data()
                                    length:utf8.size()
                                  encoding:NSUTF8StringEncoding];
}

// None for nil, and for the rare string with an unpaired surrogate, which UTF-8 cannot carry.
inline std::optional<std::string> toOptionalString(NSString* text) {
    const char* utf8 = text.UTF8String;
    if (utf8 == nullptr) {
        return std::nullopt;
    }
    return std::string(utf8);
}

inline std::filesystem::path toPath(NSURL* url) {
    return std::filesystem::path(url.path.fileSystemRepresentation);
}

}  // namespace dorvane
