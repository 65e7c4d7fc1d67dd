#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "link/DeviceRegistry.hpp"

namespace dorvane {

// The one connection to the pad's serial port. Write-only: the pad never answers. Failures are
// never reported; they show as the link being closed and as sendLine() returning false.
// Main thread only.
class CDCLink {
public:
    // The longest a line may keep the caller waiting when the pad stops reading; also the
    // longest closePort() lets queued output drain.
    static constexpr std::chrono::milliseconds writeBudget{250};

    explicit CDCLink(const DeviceRegistry& registry) : registry_(registry) {}
    ~CDCLink() { closePort(); }
    CDCLink(const CDCLink&) = delete;
    CDCLink& operator=(const CDCLink&) = delete;

    bool isOpen() const { return fd_ >= 0; }

    // The callout-device path of the open port; none while closed.
    const std::optional<std::string>& path() const { return path_; }

    // How many connections the link has opened, each greeted, since it was made. A caller that
    // sees it change knows the pad on the other end has been told nothing else yet.
    std::uint64_t connectionCount() const { return connectionCount_; }

    // True when the last search found the pad but the system refused to open its port (no udev
    // rule granting access, say), and no other candidate opened.
    bool accessDenied() const { return accessDenied_; }

    // True when the last search found the pad but another program holds its port exclusively (a
    // running companion, say), and no other candidate opened.
    bool inUse() const { return inUse_; }

    // Keeps an open, live port; otherwise searches for the pad and opens the first candidate
    // that opens.
    void reconnectIfNeeded();

    // Writes the text and one LF, reconnecting first when closed. A line that cannot be written
    // whole within writeBudget closes the link and is dropped.
    bool sendLine(std::string_view text);

    // Output the pad has not taken within writeBudget is discarded. Harmless when closed.
    void closePort();

private:
    // What the path named when the port was opened.
    struct PortNode {
        dev_t device;
        ino_t inode;
        dev_t rdev;
        bool operator==(const PortNode&) const = default;
    };

    static std::optional<PortNode> nodeAt(const std::string& path);

    bool openPort(const std::string& path);
    bool isAlive() const;
    bool writeLine(std::string_view text);
    void discardAndClose();

    const DeviceRegistry& registry_;
    std::optional<std::string> path_;
    int fd_ = -1;
    std::optional<PortNode> node_;
    std::uint64_t connectionCount_ = 0;
    bool lineCut_ = false;  // the pad may hold the start of a line that was never ended
    bool accessDenied_ = false;
    bool inUse_ = false;
};

}  // namespace dorvane
