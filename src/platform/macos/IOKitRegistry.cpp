#include "platform/macos/IOKitRegistry.hpp"

#include "platform/macos/CFHandles.hpp"
#include "platform/macos/CFStrings.hpp"
#include "platform/macos/IOKitMonitor.hpp"

namespace dorvane {
namespace {

class IOKitEntry final : public RegistryEntry {
public:
    explicit IOKitEntry(IOObject entry) : entry_(std::move(entry)) {}

    std::optional<std::string> stringProperty(std::string_view key) const override {
        const CFRef<CFTypeRef> value = property(key);
        if (!value || CFGetTypeID(value.get()) != CFStringGetTypeID()) {
            return std::nullopt;
        }
        return toUTF8(static_cast<CFStringRef>(value.get()));
    }

    // Like NSNumber's integerValue, a number of another type is converted.
    std::optional<std::int64_t> numberProperty(std::string_view key) const override {
        const CFRef<CFTypeRef> value = property(key);
        if (!value || CFGetTypeID(value.get()) != CFNumberGetTypeID()) {
            return std::nullopt;
        }
        std::int64_t number = 0;
        CFNumberGetValue(static_cast<CFNumberRef>(value.get()), kCFNumberSInt64Type, &number);
        return number;
    }

    std::unique_ptr<RegistryEntry> parent() const override {
        io_registry_entry_t parent = 0;
        if (IORegistryEntryGetParentEntry(entry_.get(), kIOServicePlane, &parent) != KERN_SUCCESS) {
            return nullptr;
        }
        return std::make_unique<IOKitEntry>(IOObject(parent));
    }

private:
    CFRef<CFTypeRef> property(std::string_view key) const {
        const CFRef<CFStringRef> name = makeCFString(key);
        return CFRef<CFTypeRef>(
            IORegistryEntryCreateCFProperty(entry_.get(), name.get(), kCFAllocatorDefault, 0));
    }

    IOObject entry_;
};

}  // namespace

IOKitRegistry::IOKitRegistry() = default;
IOKitRegistry::~IOKitRegistry() = default;

std::vector<std::unique_ptr<RegistryEntry>> IOKitRegistry::serialServices() const {
    CFMutableDictionaryRef matching = IOServiceMatching("IOSerialBSDClient");
    if (matching == nullptr) {
        return {};
    }
    // The call takes the matching dictionary over, whatever its result.
    io_iterator_t iterator = 0;
    if (IOServiceGetMatchingServices(kIOMainPortDefault, matching, &iterator) != KERN_SUCCESS) {
        return {};
    }
    const IOObject services(iterator);
    std::vector<std::unique_ptr<RegistryEntry>> entries;
    while (const io_object_t service = IOIteratorNext(services.get())) {
        entries.push_back(std::make_unique<IOKitEntry>(IOObject(service)));
    }
    return entries;
}

// Without the registry's notifications the caller's polling still finds the pad, only later.
void IOKitRegistry::watchSerialDevices(std::function<void()> changed) {
    monitor_ = IOKitMonitor::start(std::move(changed));
}

}  // namespace dorvane
