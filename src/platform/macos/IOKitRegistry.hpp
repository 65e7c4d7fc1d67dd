#pragma once

#include "link/DeviceRegistry.hpp"

namespace dorvane {

// The I/O registry: its serial services ("IOSerialBSDClient"), their properties and their
// parents in the "IOService" plane. Every handle it obtains is owned by the entry it makes.
class IOKitRegistry final : public DeviceRegistry {
public:
    std::vector<std::unique_ptr<RegistryEntry>> serialServices() const override;
};

}  // namespace dorvane
