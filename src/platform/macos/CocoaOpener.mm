#include "platform/macos/CocoaOpener.hpp"

#import <AppKit/AppKit.h>

#include "platform/macos/CocoaStrings.hpp"

namespace dorvane {

void CocoaOpener::openURL(const std::string& url) {
    if (NSURL* address = [NSURL URLWithString:toNSString(url)]) {
        [[NSWorkspace sharedWorkspace] openURL:address];
    }
}

void CocoaOpener::openFile(const std::filesystem::path& file) {
    [[NSWorkspace sharedWorkspace] openURL:[NSURL fileURLWithPath:toNSString(file.native())]];
}

}  // namespace dorvane
