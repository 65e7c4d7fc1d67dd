#include "platform/macos/IOKitRegistry.hpp"

namespace dorvane {

std::unique_ptr<DeviceRegistry> makePlatformRegistry() {
    return std::make_unique<IOKitRegistry>();
}

}  // namespace dorvane
