#include "platform/linux/IdentityResolver.hpp"

namespace dorvane {

RunningApplication IdentityResolver::resolve(const WindowFacts& facts) {
    return identifyApplication(facts);
}

}  // namespace dorvane
