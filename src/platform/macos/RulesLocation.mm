#include "rules/RulesLocation.hpp"

#import <Foundation/Foundation.h>

#include "platform/macos/CocoaStrings.hpp"

namespace dorvane {

// Also called from the command line, where no autorelease pool is in place.
std::filesystem::path defaultRulesFile() {
    @autoreleasepool {
        NSURL* home = [NSFileManager defaultManager].homeDirectoryForCurrentUser;
        return toPath(home) / "Library" / "Application Support" / "Dorvane" / "apps.txt";
    }
}

}  // namespace dorvane
