#include "testbed/PadTestbed.hpp"

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <umockdev.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <vector>

namespace dorvane::test {
namespace {

constexpr const char* preloadLibrary = "libumockdev-preload.so.0";
constexpr const char* restartedMarker = "DORVANE_HARNESS_PRELOADED";

bool runsUnderPreload() {
    const char* preload = std::getenv("LD_PRELOAD");
    return preload != nullptr && std::strstr(preload, "libumockdev-preload") != nullptr;
}

// umockdev_testbed_uevent() reads the device it announces through libudev in the calling
// process, so a harness that announces must run under umockdev's preload library as its
// programs do, and that only takes effect from a process's start: a harness without it starts
// itself once more with it, before main(). The library stays out of the harness's own children
// (Xvfb, xterm, the panel); the companion gets it from childEnvironment().
bool restartUnderPreload() {
    if (std::getenv(restartedMarker) != nullptr) {
        unsetenv(restartedMarker);
        unsetenv("LD_PRELOAD");
        return true;
    }
    if (runsUnderPreload()) {
        return true;
    }
    std::ifstream commandLine("/proc/self/cmdline", std::ios::binary);
    const std::string arguments{std::istreambuf_iterator<char>(commandLine), {}};
    std::vector<char*> argv;
    for (std::size_t at = 0; at < arguments.size(); at += std::strlen(&arguments[at]) + 1) {
        argv.push_back(const_cast<char*>(&arguments[at]));
    }
    argv.push_back(nullptr);
    const char* sanitizerOptions = std::getenv("ASAN_OPTIONS");
    setenv("ASAN_OPTIONS",
           (std::string(sanitizerOptions ? sanitizerOptions : "") + ":verify_asan_link_order=0")
               .c_str(),
           1);
    setenv("LD_PRELOAD", preloadLibrary, 1);
    setenv(restartedMarker, "1", 1);
    execv("/proc/self/exe", argv.data());
    return false;  // left as it was: the announcements fail, and programs notice by polling
}

[[maybe_unused]] const bool preloaded = restartUnderPreload();

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

// The pad's CDC ACM port in umockdev-record format, for its `plugIn`-th plug-in (0 the first):
// numbered apart from every earlier one. Without the USB device above it, nothing takes it for
// the pad yet.
std::string portDescription(int plugIn) {
    const std::string tty = ttyName(plugIn);
    const std::string minor = std::to_string(plugIn);
    return std::string("P: /devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0/tty/") + tty +
           "\nN: " + tty + "\nE: DEVNAME=/dev/" + tty + "\nE: MAJOR=166\nE: MINOR=" + minor +
           "\nE: SUBSYSTEM=tty\nA: dev=166:" + minor + "\n\n";
}

// The interface and the USB device above that port, likewise numbered.
std::string usbDescription(int plugIn) {
    const int deviceNumber = 5 + plugIn;
    char usbNode[32];
    std::snprintf(usbNode, sizeof usbNode, "bus/usb/001/%03d", deviceNumber);
    return std::string(
               "P: /devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0\n"
               "E: DEVTYPE=usb_interface\nE: DRIVER=cdc_acm\nE: SUBSYSTEM=usb\n"
               "A: bInterfaceClass=02\nA: bInterfaceNumber=00\n\n"
               "P: /devices/pci0000:00/0000:00:14.0/usb1/1-2\nN: ") +
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

// umockdev names the testbed in this process's environment, which the harness's own children
// (Xvfb, xterm, the panel) would inherit and the preloaded harness would follow: its writes to the
// testbed's sysfs would then make uevents of their own, before a device is complete. Programs
// that should see the testbed get childEnvironment(); announcements name it for their duration.
PadTestbed::PadTestbed() : testbed_(umockdev_testbed_new()) {
    unsetenv("UMOCKDEV_DIR");
}

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
        {"LD_PRELOAD", preloadLibrary},
        {"UMOCKDEV_DIR", rootDirOf(testbed_)},
        // The sanitizer runtime must otherwise come first in the list of loaded libraries.
        {"ASAN_OPTIONS", "verify_asan_link_order=0"},
    };
}

// umockdev does not announce a device it adds reliably (sometimes twice, sometimes never), so
// the announcements are made here, as udev makes them. umockdev reads the announced device
// through libudev, in the testbed that UMOCKDEV_DIR names.
void PadTestbed::announce(const std::vector<std::string>& devices, const char* action) {
    const char* named = std::getenv("UMOCKDEV_DIR");
    const std::optional<std::string> before =
        named ? std::optional<std::string>(named) : std::nullopt;
    setenv("UMOCKDEV_DIR", rootDirOf(testbed_).c_str(), 1);
    for (const auto& device : devices) {
        umockdev_testbed_uevent(testbed_, device.c_str(), action);
    }
    if (before) {
        setenv("UMOCKDEV_DIR", before->c_str(), 1);
    } else {
        unsetenv("UMOCKDEV_DIR");
    }
}

// The port comes first and is prepared while nothing can take it for the pad: a program that
// polls may open it before the announcement.
std::string PadTestbed::plugInPad(const std::function<void(int master)>& prepare) {
    add(portDescription(plugIns_));
    const std::string node = "/dev/" + ttyName(plugIns_);
    // A program started later must not inherit the master: its copy would keep the port from
    // ever hanging up.
    fcntl(masterFd(node), F_SETFD, FD_CLOEXEC);
    if (prepare) {
        prepare(masterFd(node));
    }
    add(usbDescription(plugIns_) + (plugIns_ == 0 ? host : ""));
    ++plugIns_;
    announcePad();
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
