#pragma once

#include "link/DeviceRegistry.hpp"

namespace dorvane {

class UdevMonitor;

// The device registry over libudev. Serial services are the USB serial ports (ttyACM*, ttyUSB*)
// of subsystem "tty" that have a device node; "IOCalloutDevice" is that node, "idVendor" the sysfs
// attribute read as hex, "USB Product Name" the attribute "product" of the same device. Its
// watch listens to udev's announcements of ttys and USB devices on GLib's default main context.
class UdevRegistry final : public DeviceRegistry {
public:
    UdevRegistry();
    ~UdevRegistry() override;

    std::vector<std::unique_ptr<RegistryEntry>> serialServices() const override;
    void watchSerialDevices(std::function<void()> changed) override;

private:
    std::unique_ptr<UdevMonitor> monitor_;
};

}  // namespace dorvane
