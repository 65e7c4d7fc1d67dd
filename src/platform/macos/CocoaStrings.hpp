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

inline std::optional<std::string> toOptionalString(NSString* text) {
    if (text == nil) {
        return std::nullopt;
    }
    return std::string(text.UTF8String);
}

inline std::filesystem::path toPath(NSURL* url) {
    return std::filesystem::path(url.path.fileSystemRepresentation);
}

}  // namespace dorvane
