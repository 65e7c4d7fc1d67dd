#pragma once

#include "link/DeviceRegistry.hpp"

namespace dorvane {

// The device registry over libudev. Serial services are the USB serial ports (ttyACM*, ttyUSB*)
// of subsystem "tty" that have a device node; "IOCalloutDevice" is that node, "idVendor" the sysfs
// attribute read as hex, "USB Product Name" the attribute "product" of the same device.
class UdevRegistry final : public DeviceRegistry {
public:
    std::vector<std::unique_ptr<RegistryEntry>> serialServices() const override;
};

}  // namespace dorvane
