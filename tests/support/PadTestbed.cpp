#include "support/PadTestbed.hpp"

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <umockdev.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <stdexcept>

namespace dorvane::test {
namespace {

constexpr const char* padInterface = "/sys/devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0";
constexpr const char* padDevice = "/sys/devices/pci0000:00/0000:00:14.0/usb1/1-2";

// The USB host the pad hangs off; it stays when the pad goes.
constexpr const char* host =
    "P: /devices/pci0000:00/0000:00:14.0/usb1\n"
    "E: DEVTYPE=usb_device\nE: SUBSYSTEM=usb\n"
    "A: idVendor=1d6b\nA: idProduct=0002\nA: product=xHCI Host Controller\n\n"
    "P: /devices/pci0000:00/0000:00:14.0\n"
    "E: SUBSYSTEM=pci\nE: DRIVER=xhci_hcd\nA: vendor=0x8086\n";

std::string ttyName(int plugIn) {
    return "ttyACM" + std::to_string(plugIn);
}

// The pad's devices, parents first.
std::vector<std::string> padDevices(int plugIn) {
    return {padDevice, padInterface, std::string(padInterface) + "/tty/" + ttyName(plugIn)};
}

// The pad's CDC ACM port, its interface and its USB device, in umockdev-record format, for its
// `plugIn`-th plug-in (0 the first): numbered apart from every earlier one.
std::string padDescription(int plugIn) {
    const std::string tty = ttyName(plugIn);
    const std::string minor = std::to_string(plugIn);
    const int deviceNumber = 5 + plugIn;
    char usbNode[32];
    std::snprintf(usbNode, sizeof usbNode, "bus/usb/001/%03d", deviceNumber);
    return std::string("P: /devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0/tty/") + tty +
           "\nN: " + tty + "\nE: DEVNAME=/dev/" + tty + "\nE: MAJOR=166\nE: MINOR=" + minor +
           "\nE: SUBSYSTEM=tty\nA: dev=166:" + minor +
           "\n\n"
           "P: /devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0\n"
           "E: DEVTYPE=usb_interface\nE: DRIVER=cdc_acm\nE: SUBSYSTEM=usb\n"
           "A: bInterfaceClass=02\nA: bInterfaceNumber=00\n\n"
           "P: /devices/pci0000:00/0000:00:14.0/usb1/1-2\nN: " +
           usbNode + "\nE: DEVNAME=/dev/" + usbNode +
           "\nE: DEVTYPE=usb_device\nE: DRIVER=usb\nE: SUBSYSTEM=usb\n"
           "E: ID_VENDOR_ID=303a\nE: ID_MODEL_ID=8123\n"
           "A: idVendor=303a\nA: idProduct=8123\nA: product=Dorvane Pad\n"
           "A: manufacturer=Dorvane\nA: serial=ABC123\nA: busnum=1\nA: devnum=" +
           std::to_string(deviceNumber) + "\n\n";
}

std::string rootDirOf(UMockdevTestbed* testbed) {
    gchar* root = umockdev_testbed_get_root_dir(testbed);
    std::string path = root;
    g_free(root);
    return path;
}

// Closing the master hangs the port up for whoever holds it, as the kernel does when the device
// goes away. The descriptor's number stays taken, by /dev/null: umockdev closes every master it
// made once more when it goes, which could otherwise close a stranger's descriptor.
void hangUp(int master) {
    const int nothing = open("/dev/null", O_RDWR | O_CLOEXEC);
    dup3(nothing, master, O_CLOEXEC);
    close(nothing);
}

[[noreturn]] void throwError(GError* error) {
    std::string message = error ? error->message : "unknown error";
    g_clear_error(&error);
    throw std::runtime_error("umockdev: " + message);
}

}  // namespace

PadTestbed::PadTestbed() : testbed_(umockdev_testbed_new()) {}

// Delegating: the destructor runs when this one throws.
PadTestbed::PadTestbed(const std::string& deviceFile) : PadTestbed() {
    GError* error = nullptr;
    if (!umockdev_testbed_add_from_file(testbed_, deviceFile.c_str(), &error)) {
        throwError(error);
    }
}

PadTestbed::~PadTestbed() {
    g_object_unref(testbed_);
}

void PadTestbed::add(const std::string& description) {
    GError* error = nullptr;
    if (!umockdev_testbed_add_from_string(testbed_, description.c_str(), &error)) {
        throwError(error);
    }
}

int PadTestbed::masterFd(const std::string& deviceNode) const {
    return umockdev_testbed_get_dev_fd(testbed_, deviceNode.c_str());
}

std::map<std::string, std::string> PadTestbed::childEnvironment() const {
    return {
        {"LD_PRELOAD", "libumockdev-preload.so.0"},
        {"UMOCKDEV_DIR", rootDirOf(testbed_)},
        // The sanitizer runtime must otherwise come first in the list of loaded libraries.
        {"ASAN_OPTIONS", "verify_asan_link_order=0"},
    };
}

// umockdev does not announce a device it adds reliably (sometimes twice, sometimes never), so
// the announcements are made here, as udev makes them.
void PadTestbed::announce(const std::vector<std::string>& devices, const char* action) {
    for (const auto& device : devices) {
        umockdev_testbed_uevent(testbed_, device.c_str(), action);
    }
}

std::string PadTestbed::plugInPad() {
    std::string node = plugInPadUnannounced();
    announcePad();
    return node;
}

std::string PadTestbed::plugInPadUnannounced() {
    add(padDescription(plugIns_) + (plugIns_ == 0 ? host : ""));
    const std::string node = "/dev/" + ttyName(plugIns_++);
    // A program started later must not inherit the master: its copy would keep the port from
    // ever hanging up.
    fcntl(masterFd(node), F_SETFD, FD_CLOEXEC);
    return node;
}

void PadTestbed::announcePad() {
    announce(padDevices(plugIns_ - 1), "add");
}

// The port's node goes first and the devices' sysfs entries last: an event is made from the
// device's entry, and a program that searches on hearing it must find no port to open.
void PadTestbed::unplugPad() {
    const std::string tty = ttyName(plugIns_ - 1);
    const int master = masterFd("/dev/" + tty);
    char slave[64] = "";
    ptsname_r(master, slave, sizeof slave);
    hangUp(master);
    const std::string root = rootDirOf(testbed_);
    std::filesystem::remove(root + "/dev/" + tty);
    auto devices = padDevices(plugIns_ - 1);
    std::reverse(devices.begin(), devices.end());
    announce(devices, "remove");
    for (const std::string& device : devices) {
        umockdev_testbed_remove_device(testbed_, device.c_str());
    }
    // umockdev keeps its map entry for the pseudo-terminal, and would refuse a later device
    // that the kernel gives the same one.
    std::string mapEntry = slave;
    std::replace(mapEntry.begin(), mapEntry.end(), '/', '_');
    std::filesystem::remove(root + "/dev/.ptymap/" + mapEntry);
}

void cookTerminal(int masterFd) {
    termios settings{};
    if (tcgetattr(masterFd, &settings) != 0) {
        throw std::runtime_error("tcgetattr on the master failed");
    }
    settings.c_oflag |= OPOST | ONLCR;
    settings.c_lflag |= ICANON | ECHO;
    settings.c_cflag |= HUPCL;
    tcsetattr(masterFd, TCSANOW, &settings);
}

}  // namespace dorvane::test
