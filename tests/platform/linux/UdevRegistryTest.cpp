// The udev registry on an emulated device tree: which serial services it takes, the pad it
// identifies, and the plugs and unplugs it tells of.
#include "platform/linux/device/UdevRegistry.hpp"

#include <glib.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "link/DorvanePort.hpp"
#include "support/Eventually.hpp"
#include "support/Process.hpp"
#include "testbed/PadTestbed.hpp"

namespace dorvane::test {
namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;

constexpr const char* emulatedMarker = "DORVANE_EMULATED_TREE";

// umockdev must be preloaded at process start, so each test runs again in a child under
// `wrapper`; the child, seeing the marker, does the checks. True in the parent.
bool delegatedTo(std::vector<std::string> wrapper) {
    if (std::getenv(emulatedMarker) != nullptr) {
        return false;
    }
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    const char* sanitizerOptions = std::getenv("ASAN_OPTIONS");
    wrapper.push_back(std::filesystem::read_symlink("/proc/self/exe"));
    wrapper.push_back(std::string("--gtest_filter=") + test->test_suite_name() + "." +
                      test->name());
    const auto result = runCommand(
        wrapper, {{emulatedMarker, "1"},
                  {"ASAN_OPTIONS", std::string(sanitizerOptions ? sanitizerOptions : "") +
                                       ":verify_asan_link_order=0"}});
    EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
    EXPECT_THAT(result.out, ::testing::HasSubstr("[  PASSED  ] 1 test"));
    return true;
}

// The pad and a lookalike of another vendor, fixed for the whole run.
bool delegatedToEmulatedTree() {
    const std::string fixtures = DORVANE_SOURCE_DIR "/tests/e2e/data/";
    return delegatedTo({"umockdev-run", "--device", fixtures + "pad.umockdev", "--device",
                        fixtures + "odd-vendor.umockdev", "--"});
}

// Runs GLib's default main context, where the registry's watch reports, until `condition` holds.
template <typename Condition>
bool onTheMainLoopEventually(Condition condition) {
    return eventually(
        [&] {
            while (g_main_context_iteration(nullptr, FALSE)) {
            }
            return condition();
        },
        5s);
}

using Services = std::vector<std::unique_ptr<RegistryEntry>>;

const RegistryEntry* serviceAt(const Services& services, const std::string& path) {
    const auto found = std::find_if(services.begin(), services.end(), [&](const auto& service) {
        return service->stringProperty("IOCalloutDevice") == path;
    });
    return found == services.end() ? nullptr : found->get();
}

TEST(UdevRegistryTest, IdentifiesThePadByItsUSBDevice) {
    if (delegatedToEmulatedTree()) {
        return;
    }
    const UdevRegistry registry;
    EXPECT_THAT(DorvanePort::findCalloutDevices(registry, DorvanePort::padVendorID),
                ElementsAre("/dev/ttyACM0"));

    const auto services = registry.serialServices();
    const auto* pad = serviceAt(services, "/dev/ttyACM0");
    ASSERT_NE(pad, nullptr);
    const auto interface = pad->parent();
    ASSERT_NE(interface, nullptr);
    const auto device = interface->parent();
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(device->numberProperty("idVendor"), 0x303A);
    EXPECT_EQ(device->stringProperty("USB Product Name"), "Dorvane Pad");
    EXPECT_EQ(device->stringProperty("kUSBProductString"), std::nullopt);
}

// ttyACM1's interface claims "303azz", which is not hex: its device's 0x1234 decides. ttyUSB9
// has no device node and tty1 is a virtual console: neither is a serial service.
TEST(UdevRegistryTest, TakesOnlyUsbSerialTTYsWithANodeAndOnlyHexVendors) {
    if (delegatedToEmulatedTree()) {
        return;
    }
    const UdevRegistry registry;
    std::vector<std::optional<std::string>> callouts;
    for (const auto& service : registry.serialServices()) {
        callouts.push_back(service->stringProperty("IOCalloutDevice"));
    }
    EXPECT_THAT(callouts, UnorderedElementsAre("/dev/ttyACM0", "/dev/ttyACM1"));

    const auto services = registry.serialServices();
    const auto* lookalike = serviceAt(services, "/dev/ttyACM1");
    ASSERT_NE(lookalike, nullptr);
    const auto interface = lookalike->parent();
    ASSERT_NE(interface, nullptr);
    EXPECT_EQ(interface->numberProperty("idVendor"), std::nullopt);
    EXPECT_EQ(interface->parent()->numberProperty("idVendor"), 0x1234);
}

// A tree that changes while the registry watches: the test plays udev's announcements.
TEST(UdevRegistryTest, TellsOfThePadPluggedInAndPulledOutOnTheMainLoop) {
    if (delegatedTo({"umockdev-wrapper"})) {
        return;
    }
    PadTestbed testbed;
    setenv("UMOCKDEV_DIR", testbed.childEnvironment().at("UMOCKDEV_DIR").c_str(), 1);
    UdevRegistry registry;
    int calls = 0;
    registry.watchSerialDevices([&] { ++calls; });

    testbed.plugInPad();
    ASSERT_TRUE(onTheMainLoopEventually([&] { return calls > 0; }));
    EXPECT_THAT(DorvanePort::findCalloutDevices(registry, DorvanePort::padVendorID),
                ElementsAre("/dev/ttyACM0"));
    const int callsWhilePluggedIn = calls;
    testbed.unplugPad();

    EXPECT_TRUE(onTheMainLoopEventually([&] { return calls > callsWhilePluggedIn; }));
}

}  // namespace
}  // namespace dorvane::test
