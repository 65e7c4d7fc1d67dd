#import <Foundation/Foundation.h>

#include "app/InstanceLock.hpp"

namespace dorvane {

// The per-user temporary folder (under /var/folders), private to the user.
std::filesystem::path instanceLockFile() {
    return std::filesystem::path(NSTemporaryDirectory().fileSystemRepresentation) / "dorvane.lock";
}

}  // namespace dorvane
