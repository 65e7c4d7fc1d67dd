#pragma once

#include <chrono>
#include <map>
#include <string>

typedef struct _UMockdevTestbed UMockdevTestbed;

namespace dorvane::test {

// An emulated device tree (umockdev) that libudev really enumerates in child processes started
// with childEnvironment(). Emulated ttys are pseudo-terminals whose master side the test holds.
class PadTestbed {
public:
    // `deviceFile` is in umockdev-record format.
    explicit PadTestbed(const std::string& deviceFile);
    ~PadTestbed();
    PadTestbed(const PadTestbed&) = delete;
    PadTestbed& operator=(const PadTestbed&) = delete;

    // The master side of an emulated tty such as "/dev/ttyACM0"; owned by the testbed.
    int masterFd(const std::string& deviceNode) const;

    // What a child needs to see the testbed instead of the real /sys and /dev.
    std::map<std::string, std::string> childEnvironment() const;

    // Adds the devices of another umockdev-record file, as plugging them in does.
    void plugIn(const std::string& deviceFile);

    // Hangs the port up and removes the device and its node, as unplugging the pad does.
    void unplug(const std::string& sysfsPath, const std::string& deviceNode);

private:
    UMockdevTestbed* testbed_;
};

// Turns on, from the master side, the cooked-mode settings a program must switch off
// (OPOST|ONLCR, ICANON, ECHO, HUPCL), so that a missing raw mode shows up on the wire.
void cookTerminal(int masterFd);

}  // namespace dorvane::test
