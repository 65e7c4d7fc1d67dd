#pragma once

#include <chrono>
#include <cstddef>
#include <string>

namespace dorvane::test {

// A pseudo-terminal pair standing in for a serial port. The test holds the master end; the code
// under test opens the slave by its path.
class Pty {
public:
    Pty();
    ~Pty();
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    const std::string& slavePath() const { return slavePath_; }
    int masterFd() const { return master_; }

    // What the slave side wrote: reads until `count` bytes came, the slave side closed, or
    // `timeout` passed.
    std::string read(std::size_t count, std::chrono::milliseconds timeout) const;

    // Whether every descriptor of the slave side is closed, waiting up to `timeout`. Discards
    // what the slave side wrote and nobody read.
    bool slaveClosed(std::chrono::milliseconds timeout) const;

    // Hangs up: the slave side reads end of file from now on.
    void closeMaster();

private:
    int master_ = -1;
    std::string slavePath_;
};

// What to do when no slave descriptor is open: stop reading, or keep waiting for a program
// that opens the port later.
enum class OnHangUp { stop, keepWaiting };

// Reads what the slave side wrote from a pseudo-terminal master until `count` bytes came or
// `timeout` passed.
std::string readFromMaster(int masterFd, std::size_t count, std::chrono::milliseconds timeout,
                           OnHangUp onHangUp);

// Whether every descriptor of the slave side is closed, waiting up to `timeout`. Discards what the
// slave side wrote and nobody read.
bool slaveClosed(int masterFd, std::chrono::milliseconds timeout);

// Whether `fd` becomes readable (bytes, end of file or an error to read) within `timeout`.
bool waitReadable(int fd, std::chrono::milliseconds timeout);

}  // namespace dorvane::test
