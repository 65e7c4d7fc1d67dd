#include "testbed/CosmicDesktop.hpp"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <stdexcept>

#include "support/Eventually.hpp"

namespace dorvane::test {
namespace {

using namespace std::chrono_literals;

constexpr auto answerTimeout = 5s;
constexpr const char* waylandSocket = "wayland-cosmic";
constexpr const char* controlSocket = "control";

int connectTo(const std::filesystem::path& path) {
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

// One line, without its newline; empty when none came within the timeout.
std::string readLine(int fd) {
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + answerTimeout;
    char byte = 0;
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd readable{fd, POLLIN, 0};
        if (poll(&readable, 1, 100) <= 0) {
            continue;
        }
        if (read(fd, &byte, 1) != 1) {
            break;
        }
        if (byte == '\n') {
            return line;
        }
        line += byte;
    }
    return {};
}

}  // namespace

CosmicDesktop::CosmicDesktop(int infoVersion) {
    standIn_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{DORVANE_COSMIC_STAND_IN, waylandSocket, runtime_ / controlSocket,
                                 std::to_string(infoVersion)},
        std::map<std::string, std::string>{{"XDG_RUNTIME_DIR", runtime_.path()}});
    eventually(
        [&] {
            control_ = connectTo(runtime_ / controlSocket);
            return control_ >= 0;
        },
        answerTimeout);
    if (control_ < 0) {
        throw std::runtime_error("the COSMIC stand-in did not start");
    }
}

CosmicDesktop::~CosmicDesktop() {
    if (control_ >= 0) {
        ::close(control_);
    }
    standIn_->waitFor(answerTimeout);
}

// The stand-in offers no shell for GTK's windows. GDK's Wayland backend gives up on such a
// compositor, and from GTK 3.24.49 on leaves one of its requests unreleased when it does; sent to
// X11, which is absent, GTK fails to start as it would here, without that leak.
std::map<std::string, std::string> CosmicDesktop::environment() const {
    return {{"WAYLAND_DISPLAY", runtime_ / waylandSocket},
            {"XDG_RUNTIME_DIR", runtime_.path()},
            {"DISPLAY", ""},
            {"GDK_BACKEND", "x11"}};
}

void CosmicDesktop::open(const std::string& appId) {
    command("open " + appId);
}

void CosmicDesktop::focus(const std::string& appId) {
    command("activate " + appId);
}

void CosmicDesktop::showNothing() {
    command("deactivate");
}

void CosmicDesktop::close(const std::string& appId) {
    command("close " + appId);
}

void CosmicDesktop::goAway() {
    command("quit");
    if (!standIn_->waitFor(answerTimeout)) {
        throw std::runtime_error("the COSMIC stand-in did not end");
    }
}

void CosmicDesktop::requestFocus(const std::string& appId) {
    send("activate " + appId);
}

void CosmicDesktop::command(const std::string& line) {
    send(line);
    awaitAnswer();
}

void CosmicDesktop::send(const std::string& line) {
    const std::string sent = line + "\n";
    if (write(control_, sent.data(), sent.size()) != static_cast<ssize_t>(sent.size())) {
        throw std::runtime_error("the COSMIC stand-in is gone");
    }
    sent_ = line;
}

void CosmicDesktop::awaitAnswer() {
    if (const auto answer = readLine(control_); answer != "ok") {
        throw std::runtime_error("the COSMIC stand-in answered '" + answer + "' to " + sent_);
    }
}

}  // namespace dorvane::test
