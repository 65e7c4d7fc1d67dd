#include "link/CDCLink.hpp"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include "link/BoundedWrite.hpp"
#include "link/DorvanePort.hpp"

namespace dorvane {
namespace {

// HUPCL is cleared so that closing the port (pause, quit) leaves DTR up instead of hanging up.
void configureLine(int fd) {
    termios settings{};
    if (tcgetattr(fd, &settings) != 0) {
        return;
    }
    cfmakeraw(&settings);
    cfsetispeed(&settings, B115200);
    cfsetospeed(&settings, B115200);
    settings.c_cflag |= CLOCAL | CREAD;
    settings.c_cflag &= ~static_cast<tcflag_t>(HUPCL);
    tcsetattr(fd, TCSANOW, &settings);
}

// Ports without modem lines (pseudo-terminals among them) refuse TIOCMGET; they are left alone.
void raiseModemLines(int fd) {
    int bits = 0;
    if (ioctl(fd, TIOCMGET, &bits) != 0) {
        return;
    }
    bits |= TIOCM_DTR | TIOCM_RTS;
    ioctl(fd, TIOCMSET, &bits);
}

bool writeLine(int fd, std::string_view text) {
    std::string line(text);
    line += '\n';
    return writeAll(fd, line, CDCLink::writeBudget);
}

}  // namespace

void CDCLink::reconnectIfNeeded() {
    if (isOpen()) {
        if (isAlive()) {
            return;
        }
        closePort();
    }
    // A candidate that cannot be opened (busy, not permitted, a stale node) must not hide the
    // ones after it.
    for (const auto& path : DorvanePort::findCalloutDevices(registry_, DorvanePort::padVendorID)) {
        if (openPort(path)) {
            return;
        }
    }
}

bool CDCLink::sendLine(std::string_view text) {
    reconnectIfNeeded();
    if (!isOpen()) {
        return false;
    }
    if (!writeLine(fd_, text)) {
        closePort();
        return false;
    }
    return true;
}

void CDCLink::closePort() {
    if (fd_ >= 0) {
        close(fd_);
    }
    fd_ = -1;
    path_.reset();
}

bool CDCLink::openPort(const std::string& path) {
    closePort();
    // The descriptor stays non-blocking so that a pad which stops reading cannot hang the
    // caller: every write waits through poll() within writeBudget instead. O_CLOEXEC keeps
    // programs the companion starts (a browser, an editor) from holding the port after a pause.
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    configureLine(fd);
    raiseModemLines(fd);
    fd_ = fd;
    path_ = path;
    ++connectionCount_;
    writeLine(fd_, greetingLine);  // a lost greeting leaves the link open; the next line decides
    return true;
}

// A valid descriptor is not enough: an unplugged device or a closed peer keeps it valid but
// reports a hang-up. POLLNVAL is not taken for death: fcntl() has just found the descriptor
// valid, and macOS's poll() reports POLLNVAL for every device it does not support.
bool CDCLink::isAlive() const {
    if (fcntl(fd_, F_GETFD) == -1) {
        return false;
    }
    pollfd probe{fd_, 0, 0};
    if (poll(&probe, 1, 0) < 0) {
        return true;  // a probe that could not run proves nothing
    }
    return (probe.revents & (POLLHUP | POLLERR)) == 0;
}

}  // namespace dorvane
