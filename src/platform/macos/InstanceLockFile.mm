#import <Foundation/Foundation.h>
#include <unistd.h>

#include <climits>
#include <string>

#include "app/InstanceLock.hpp"

namespace dorvane {

// macOS has no abstract socket names: the file alone decides, from one place per user.
InstanceName claimInstanceName() {
    return {-1, InstanceName::Claim::undecided};
}

// The per-user temporary folder (under /var/folders), private to the user. Asked of the system
// rather than read from TMPDIR, as NSTemporaryDirectory() does, so that every start of the
// companion finds the same file.
std::filesystem::path instanceLockFile() {
    std::string folder(PATH_MAX, '\0');
    const size_t length = confstr(_CS_DARWIN_USER_TEMP_DIR, folder.data(), folder.size());
    if (length == 0 || length > folder.size()) {
        return std::filesystem::path(NSTemporaryDirectory().fileSystemRepresentation) /
               "dorvane.lock";
    }
    folder.resize(length - 1);
    return std::filesystem::path(folder) / "dorvane.lock";
}

}  // namespace dorvane
