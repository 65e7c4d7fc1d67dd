// The CLI against an emulated USB tree that libudev really enumerates: the pad, a second device
// of the pad's vendor that is not a pad, and another vendor's device named like the pad.
// Without the pad, neither of the other two may be taken for it.
#include <gtest/gtest.h>

#include "support/PadTestbed.hpp"
#include "support/Process.hpp"
#include "support/Pty.hpp"

namespace dorvane::test {
namespace {

using namespace std::chrono_literals;

class PadCliTest : public ::testing::Test {
protected:
    PadTestbed testbed{DORVANE_SOURCE_DIR "/tests/e2e/data/three-devices.umockdev"};

    CommandResult dorvane(const std::vector<std::string>& args) {
        std::vector<std::string> argv{DORVANE_BINARY};
        argv.insert(argv.end(), args.begin(), args.end());
        return runCommand(argv, testbed.childEnvironment());
    }
};

TEST_F(PadCliTest, PadsListsOnlyThePad) {
    const auto result = dorvane({"pads"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "/dev/ttyACM0\n");
}

TEST_F(PadCliTest, SendWritesGreetingThenLayerInRawMode) {
    const int pad = testbed.masterFd("/dev/ttyACM0");
    const int otherDevice = testbed.masterFd("/dev/ttyACM1");
    ASSERT_GE(pad, 0);
    cookTerminal(pad);

    const auto result = dorvane({"send", "chrome"});

    EXPECT_EQ(result.exitCode, 0) << result.err;
    const std::string expected = "OS linux\nLAYER chrome\n";
    EXPECT_EQ(readFromMaster(pad, expected.size() + 1, 1s, OnHangUp::keepWaiting), expected);
    EXPECT_EQ(readFromMaster(otherDevice, 1, 100ms, OnHangUp::keepWaiting), "");
}

TEST(PadCliWithoutPad, FindsNoPadAndSendsNothing) {
    PadTestbed onlyOtherDevices{DORVANE_SOURCE_DIR "/tests/e2e/data/not-a-pad.umockdev"};
    const int sameVendorDevice = onlyOtherDevices.masterFd("/dev/ttyACM1");

    const auto pads = runCommand({DORVANE_BINARY, "pads"}, onlyOtherDevices.childEnvironment());
    const auto send =
        runCommand({DORVANE_BINARY, "send", "slack"}, onlyOtherDevices.childEnvironment());

    EXPECT_EQ(pads.exitCode, 0) << pads.err;
    EXPECT_EQ(pads.out, "");
    EXPECT_EQ(send.exitCode, 1);
    EXPECT_EQ(send.err, "Pad: not found\n");
    EXPECT_EQ(readFromMaster(sameVendorDevice, 1, 100ms, OnHangUp::keepWaiting), "");
}

}  // namespace
}  // namespace dorvane::test
