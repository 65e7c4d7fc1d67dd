#pragma once

#include "link/DeviceRegistry.hpp"

namespace dorvane {

class IOKitMonitor;

// The I/O registry: its serial services ("IOSerialBSDClient"), their properties and their
// parents in the "IOService" plane. Every handle it obtains is owned by the entry it makes. Its
// watch reports serial services that appear or go, on the main run loop.
class IOKitRegistry final : public DeviceRegistry {
public:
    IOKitRegistry();
    ~IOKitRegistry() override;

    std::vector<std::unique_ptr<RegistryEntry>> serialServices() const override;
    void watchSerialDevices(std::function<void()> changed) override;

private:
    std::unique_ptr<IOKitMonitor> monitor_;
};

}  // namespace dorvane
