#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "link/DeviceRegistry.hpp"

// Finds the pad's serial device in the device registry. Holds no state.
namespace dorvane::DorvanePort {

inline constexpr std::int64_t padVendorID = 0x303A;

// The callout-device paths of the serial services whose USB vendor is `vendorID`, in registry
// order, duplicates kept: those whose product name contains "Dorvane" (ignoring case) when there
// are any, else those whose product has no name. A device named otherwise is never returned.
std::vector<std::string> findCalloutDevices(const DeviceRegistry& registry, std::int64_t vendorID);

}  // namespace dorvane::DorvanePort
