#include "platform/linux/device/UdevRegistry.hpp"

namespace dorvane {

std::unique_ptr<DeviceRegistry> makePlatformRegistry() {
    return std::make_unique<UdevRegistry>();
}

}  // namespace dorvane
