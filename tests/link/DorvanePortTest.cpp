// Which serial services of a device registry the pad's search takes, and in which order.
#include "link/DorvanePort.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/FakeRegistry.hpp"

namespace dorvane::test {
namespace {

constexpr std::int64_t pad = DorvanePort::padVendorID;
constexpr std::int64_t other = 0x1234;

FakeNodePtr usbSerial(const std::string& path, std::int64_t vendorID,
                      const std::string& name = {}) {
    return serial(path, usbDevice(vendorID, name));
}

FakeNodePtr chainOf(int depth, FakeNodePtr top) {
    for (int level = 0; level < depth; ++level) {
        top = node({.parent = top});
    }
    return top;
}

struct SearchCase {
    const char* name;
    std::vector<FakeNodePtr> services;
    std::vector<std::string> expected;
};

std::vector<SearchCase> searchCases() {
    const auto named = [](std::int64_t vendorID,
                          std::map<std::string, std::string, std::less<>> names) {
        return node({.strings = std::move(names), .numbers = {{"idVendor", vendorID}}});
    };
    // On macOS the interface carries the vendor and the USB device above it the name, with a
    // driver entry between them that carries neither.
    const auto macShape = [&](const std::string& path, const std::string& deviceName) {
        const auto device = named(pad, {{"USB Product Name", deviceName}});
        const auto interface =
            node({.numbers = {{"idVendor", pad}}, .parent = node({.parent = device})});
        return serial(path, node({.parent = interface}));
    };
    return {
        {"no device of the pad's vendor", {usbSerial("/dev/a", other, "Dorvane Pad")}, {}},
        {"only the named device when one is named",
         {usbSerial("/dev/a", pad, "Generic"), usbSerial("/dev/c", pad),
          usbSerial("/dev/b", pad, "THE DORVANE PAD")},
         {"/dev/b"}},
        {"unnamed devices in registry order when none is named Dorvane",
         {usbSerial("/dev/b", pad, "Generic"), usbSerial("/dev/c", pad), usbSerial("/dev/a", pad)},
         {"/dev/c", "/dev/a"}},
        {"a Dorvane name of another vendor neither counts nor prefers",
         {usbSerial("/dev/a", other, "Dorvane"), usbSerial("/dev/b", pad)},
         {"/dev/b"}},
        {"the name is on the USB device above the interface",
         {macShape("/dev/a", "Dorvane Pad"), usbSerial("/dev/b", pad)},
         {"/dev/a"}},
        {"a device above the interface named otherwise is not the pad",
         {macShape("/dev/a", "USB JTAG/serial debug unit"), usbSerial("/dev/b", pad)},
         {"/dev/b"}},
        {"a name on another vendor's entry above is not the device's",
         {serial("/dev/a", node({.numbers = {{"idVendor", pad}},
                                 .parent = named(other, {{"USB Product Name", "Dorvane Hub"}})})),
          usbSerial("/dev/b", pad)},
         {"/dev/a", "/dev/b"}},
        {"a name on the vendor's own entry wins over one above",
         {serial("/dev/a", node({.strings = {{"USB Product Name", "Generic"}},
                                 .numbers = {{"idVendor", pad}},
                                 .parent = usbDevice(pad, "Dorvane")})),
          usbSerial("/dev/b", pad)},
         {"/dev/b"}},
        {"a service naming its own vendor needs no walk",
         {node({.strings = {{"IOCalloutDevice", "/dev/a"}, {"USB Product Name", "Dorvane"}},
                .numbers = {{"idVendor", pad}},
                .parent = usbDevice(other),
                .parentForbidden = true}),
          usbSerial("/dev/b", pad)},
         {"/dev/a"}},
        {"the first numeric vendor upwards decides",
         {serial("/dev/a",
                 node({.numbers = {{"idVendor", other}}, .parent = usbDevice(pad, "Dorvane")}))},
         {}},
        {"a vendor that is not a number sends the walk upwards",
         {serial("/dev/a", node({.strings = {{"idVendor", "303a"}}, .parent = usbDevice(pad)}))},
         {"/dev/a"}},
        {"the walk has no depth limit",
         {serial("/dev/a", chainOf(12, usbDevice(pad)))},
         {"/dev/a"}},
        {"no vendor up to the root is skipped",
         {serial("/dev/a", chainOf(3, nullptr)), usbSerial("/dev/b", pad)},
         {"/dev/b"}},
        {"no string callout device is skipped",
         {node({.numbers = {{"IOCalloutDevice", 5}}, .parent = usbDevice(pad, "Dorvane")}),
          node({.parent = usbDevice(pad, "Dorvane")}), usbSerial("/dev/b", pad)},
         {"/dev/b"}},
        {"product keys are tried in order",
         {serial("/dev/a",
                 named(pad, {{"USB Product Name", "Generic"}, {"kUSBProductString", "Dorvane"}})),
          serial("/dev/b", named(pad, {{"Product Name", "dorvane mini"}}))},
         {"/dev/b"}},
        {"duplicates are kept",
         {usbSerial("/dev/a", pad), usbSerial("/dev/a", pad)},
         {"/dev/a", "/dev/a"}},
    };
}

TEST(DorvanePortTest, KeepsTheCandidateRules) {
    for (const auto& searchCase : searchCases()) {
        SCOPED_TRACE(searchCase.name);
        FakeRegistry registry;
        registry.services = searchCase.services;
        EXPECT_THAT(DorvanePort::findCalloutDevices(registry, pad),
                    ::testing::ElementsAreArray(searchCase.expected));
    }
}

}  // namespace
}  // namespace dorvane::test
