#include "support/PadTestbed.hpp"

#include <poll.h>
#include <termios.h>
#include <umockdev.h>
#include <unistd.h>

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
    GError* error = nullptr;
    if (!umockdev_testbed_add_from_file(testbed_, deviceFile.c_str(), &error)) {
        std::string message = error ? error->message : "unknown error";
        g_clear_error(&error);
        g_object_unref(testbed_);
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
    std::filesystem::remove(rootDirOf(testbed_) + deviceNode);
    umockdev_testbed_uevent(testbed_, sysfsPath.c_str(), "remove");
    umockdev_testbed_remove_device(testbed_, sysfsPath.c_str());
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

std::string readBytes(int fd, std::size_t count, std::chrono::milliseconds timeout) {
    std::string received;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (received.size() < count) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd pfd{fd, POLLIN, 0};
        if (left.count() <= 0 || poll(&pfd, 1, static_cast<int>(left.count())) <= 0 ||
            !(pfd.revents & POLLIN)) {
            break;
        }
        char buffer[256];
        const ssize_t n = read(fd, buffer, std::min(sizeof buffer, count - received.size()));
        if (n <= 0) {
            break;
        }
        received.append(buffer, static_cast<std::size_t>(n));
    }
    return received;
}

bool peerClosed(int masterFd, std::chrono::milliseconds timeout) {
    pollfd pfd{masterFd, 0, 0};
    return poll(&pfd, 1, static_cast<int>(timeout.count())) > 0 && (pfd.revents & POLLHUP);
}

}  // namespace dorvane::test
