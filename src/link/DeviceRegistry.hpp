#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dorvane {

// The registry keys the pad search reads. Adapters translate them to their platform's names.
namespace registry_key {
inline constexpr std::string_view calloutDevice = "IOCalloutDevice";
inline constexpr std::string_view vendorID = "idVendor";
inline constexpr std::string_view usbProductName = "USB Product Name";
inline constexpr std::string_view usbProductString = "kUSBProductString";
inline constexpr std::string_view productName = "Product Name";
}  // namespace registry_key

// One entry of the device registry: a serial service or one of its ancestors. An entry owns its
// platform handle and releases it when destroyed.
class RegistryEntry {
public:
    virtual ~RegistryEntry() = default;

    // The value under `key` when it is a string; nullopt when absent or of another type.
    virtual std::optional<std::string> stringProperty(std::string_view key) const = 0;

    // The value under `key` when it is a number; nullopt when absent or not a number.
    virtual std::optional<std::int64_t> numberProperty(std::string_view key) const = 0;

    // The entry above this one; nullptr at the root.
    virtual std::unique_ptr<RegistryEntry> parent() const = 0;
};

// The platform's device registry (IOKit on macOS, udev on Linux).
class DeviceRegistry {
public:
    virtual ~DeviceRegistry() = default;

    // Every serial service, in the registry's own order; empty when the search fails.
    virtual std::vector<std::unique_ptr<RegistryEntry>> serialServices() const = 0;

    // Calls `changed` on the main loop after serial or USB devices came or went, until the
    // registry is destroyed; a later call replaces the earlier callback. A burst of events may
    // make one call or several, and a call may concern a device that is not the pad. Where the
    // platform cannot watch, nothing is ever called, and the caller's own polling must do.
    virtual void watchSerialDevices(std::function<void()> changed) = 0;
};

// This platform's registry.
std::unique_ptr<DeviceRegistry> makePlatformRegistry();

}  // namespace dorvane
