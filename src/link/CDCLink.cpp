#include "link/CDCLink.hpp"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

#include "link/BoundedWrite.hpp"
#include "link/DescriptorWait.hpp"
#include "link/DorvanePort.hpp"
#include "link/PadProtocol.hpp"

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

// At most this much of what a pad sends is read, and dropped, in one probe: a pad that never
// stops sending costs a few reads a tick, not the whole tick.
constexpr std::size_t probeReadBudget = 64 * 1024;

// A hung-up terminal reads as readable, and a read then ends at once (end of file, EIO or
// ENXIO); a live one has bytes or nothing (EAGAIN). What a pad sent is read to the end, as a
// hang-up shows only behind it; the pad is never asked anything, so reading loses nothing.
// A probe that fails otherwise than on a closed descriptor proves nothing, as for one beyond
// what the wait can watch: the node alone tells then.
bool hasHungUp(int fd) {
    const int ready = waitUntilReady(fd, Readiness::readable, std::chrono::microseconds::zero());
    if (ready <= 0) {
        return ready < 0 && errno == EBADF;
    }
    char discarded[4096];
    for (std::size_t taken = 0; taken < probeReadBudget;) {
        const ssize_t received = read(fd, discarded, sizeof discarded);
        if (received > 0) {
            taken += static_cast<std::size_t>(received);
        } else if (received == 0 || errno == EIO || errno == ENXIO) {
            return true;
        } else if (errno != EINTR) {
            return false;  // EAGAIN: all read; any other failure proves nothing
        }
    }
    return false;
}

// While the companion holds the port, opening it again fails with EBUSY for every program not
// run as root. A port that refuses (no terminal) is used all the same.
void claimExclusively(int fd) {
    ioctl(fd, TIOCEXCL);
}

// The flag belongs to the terminal, not to the descriptor: a terminal whose other end stays
// open (a pseudo-terminal) would keep refusing everyone after the companion let go.
void releaseExclusively(int fd) {
    ioctl(fd, TIOCNXCL);
}

}  // namespace

void CDCLink::reconnectIfNeeded() {
    if (isOpen()) {
        if (isAlive()) {
            return;
        }
        discardAndClose();
    }
    // A candidate that cannot be opened (busy, not permitted, a stale node) must not hide the
    // ones after it.
    accessDenied_ = false;
    inUse_ = false;
    for (const auto& path : DorvanePort::findCalloutDevices(registry_, DorvanePort::padVendorID)) {
        if (openPort(path)) {
            accessDenied_ = false;
            inUse_ = false;
            return;
        }
        accessDenied_ = accessDenied_ || errno == EACCES || errno == EPERM;
        inUse_ = inUse_ || errno == EBUSY;
    }
}

bool CDCLink::sendLine(std::string_view text) {
    reconnectIfNeeded();
    if (!isOpen()) {
        return false;
    }
    if (!writeLine(text)) {
        discardAndClose();
        return false;
    }
    return true;
}

// A pad that reads takes what is queued within a millisecond or two; discarding it at once would
// cut off the last line (dorvane send closes right after writing it).
void CDCLink::closePort() {
    if (isOpen()) {
        drainWithin(fd_, writeBudget);
    }
    discardAndClose();
}

// Linux's cdc-acm driver waits up to 30 s in close() for queued output to drain, so queued
// output is discarded first; it is the start of a line the pad never got whole. Only when the
// driver reports some, which is what close() would wait for: a pseudo-terminal reports none,
// and flushing one throws away bytes its reader has not taken yet. Closing after a failed write
// or a hang-up comes here directly: that pad gets no more time.
void CDCLink::discardAndClose() {
    if (fd_ >= 0) {
        if (queuedOutput(fd_) > 0) {
            lineCut_ = true;
            tcflush(fd_, TCOFLUSH);
        }
        releaseExclusively(fd_);
        close(fd_);
    }
    fd_ = -1;
    path_.reset();
    node_.reset();
}

bool CDCLink::openPort(const std::string& path) {
    discardAndClose();
    // The descriptor stays non-blocking so that a pad which stops reading cannot hang the
    // caller: every write waits through select() within writeBudget instead. O_CLOEXEC keeps
    // programs the companion starts (a browser, an editor) from holding the port after a pause.
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    claimExclusively(fd);
    configureLine(fd);
    raiseModemLines(fd);
    fd_ = fd;
    path_ = path;
    node_ = nodeAt(path);
    ++connectionCount_;
    writeLine(greetingLine);  // a lost greeting leaves the link open; the next line decides
    return true;
}

// After a line was cut short, a lone LF goes first, so that the pad drops the fragment instead
// of taking it and this line for one.
bool CDCLink::writeLine(std::string_view text) {
    const std::string_view terminator = lineCut_ ? "\n" : "";
    std::string bytes(terminator);
    bytes += text;
    bytes += '\n';
    const std::size_t taken = writeWithin(fd_, bytes, writeBudget);
    if (taken > 0) {
        lineCut_ = taken > terminator.size() && taken < bytes.size();
    }
    return taken == bytes.size();
}

// A valid descriptor is not enough: an unplugged device keeps it valid. A hang-up tells on most
// ports, but a port with CLOCAL set does not promise one; a node that is gone or names another
// device tells then.
bool CDCLink::isAlive() const {
    return !hasHungUp(fd_) && node_ && nodeAt(*path_) == node_;
}

// Compared with the node as it was at opening, not with fstat() of the descriptor: an
// interposed stat() may name the device otherwise (umockdev, which emulates the pad for the
// tests and the demo, reports the emulated device's number and fstat() the pseudo-terminal's).
std::optional<CDCLink::PortNode> CDCLink::nodeAt(const std::string& path) {
    struct stat status {};
    if (stat(path.c_str(), &status) != 0) {
        return std::nullopt;
    }
    return PortNode{status.st_dev, status.st_ino, status.st_rdev};
}

}  // namespace dorvane
