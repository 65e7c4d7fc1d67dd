#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <vector>

typedef struct _UMockdevTestbed UMockdevTestbed;

namespace dorvane::test {

// An emulated device tree (umockdev) that libudev really enumerates in child processes started
// with childEnvironment(). Emulated ttys are pseudo-terminals whose master side the test holds.
class PadTestbed {
public:
    // An empty tree: plugInPad() adds the pad.
    PadTestbed();
    // `deviceFile` is in umockdev-record format.
    explicit PadTestbed(const std::string& deviceFile);
    ~PadTestbed();
    PadTestbed(const PadTestbed&) = delete;
    PadTestbed& operator=(const PadTestbed&) = delete;

    // The master side of an emulated tty such as "/dev/ttyACM0"; owned by the testbed.
    int masterFd(const std::string& deviceNode) const;

    // What a child needs to see the testbed instead of the real /sys and /dev.
    std::map<std::string, std::string> childEnvironment() const;

    // Plugs the pad in and returns its port's node, "/dev/ttyACM0" the first time. umockdev
    // never frees a node name, a minor number or a USB device number, so each plug-in gets new
    // ones, as the kernel does while a program still holds the old port. `prepare` gets the
    // port's master side before anything can find the pad; then udev's "add" events announce
    // the USB device, its interface and its port, in that order.
    std::string plugInPad(const std::function<void(int master)>& prepare = {});

    // Hangs the port of the pad last plugged in up and removes the pad, as pulling its cable
    // does; udev's "remove" events announce it, the port first.
    void unplugPad();

    // Announces the pad last plugged in; again when it was announced already, as udev sometimes
    // does.
    void announcePad();

private:
    void add(const std::string& description);
    void announce(const std::vector<std::string>& devices, const char* action);

    UMockdevTestbed* testbed_;
    int plugIns_ = 0;
};

// Turns on, from the master side, the cooked-mode settings a program must switch off
// (OPOST|ONLCR, ICANON, ECHO, HUPCL), so that a missing raw mode shows up on the wire.
void cookTerminal(int masterFd);

}  // namespace dorvane::test
