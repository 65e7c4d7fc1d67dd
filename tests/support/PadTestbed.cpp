#include "support/PadTestbed.hpp"

#include <stdlib.h>
#include <termios.h>
#include <umockdev.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <stdexcept>

namespace dorvane::test {
namespace {

std::string rootDirOf(UMockdevTestbed* testbed) {
    gchar* root = umockdev_testbed_get_root_dir(testbed);
    std::string path = root;
    g_free(root);
    return path;
}

}  // namespace

PadTestbed::PadTestbed(const std::string& deviceFile) : testbed_(umockdev_testbed_new()) {
    try {
        plugIn(deviceFile);
    } catch (...) {
        g_object_unref(testbed_);
        throw;
    }
}

void PadTestbed::plugIn(const std::string& deviceFile) {
    GError* error = nullptr;
    if (!umockdev_testbed_add_from_file(testbed_, deviceFile.c_str(), &error)) {
        std::string message = error ? error->message : "unknown error";
        g_clear_error(&error);
        throw std::runtime_error("umockdev: " + message);
    }
}

PadTestbed::~PadTestbed() {
    g_object_unref(testbed_);
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

void PadTestbed::unplug(const std::string& sysfsPath, const std::string& deviceNode) {
    const int master = masterFd(deviceNode);
    char slave[64] = "";
    ptsname_r(master, slave, sizeof slave);
    // Closing the master hangs the port up for whoever holds it, as the kernel does when the
    // device goes away.
    close(master);
    const std::string root = rootDirOf(testbed_);
    std::filesystem::remove(root + deviceNode);
    umockdev_testbed_remove_device(testbed_, sysfsPath.c_str());
    // umockdev keeps its map entry for the pseudo-terminal, and would refuse a later device
    // that gets the same one.
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
