#pragma once

#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "support/Process.hpp"
#include "support/TempDir.hpp"
#include "testbed/CompanionHome.hpp"
#include "testbed/DBusSession.hpp"
#include "testbed/PadTestbed.hpp"

namespace dorvane::test {

// What every desktop's session shares: an emulated pad, a session bus, a home of the companion's
// own, and the companion started with its stderr kept. A desktop's session adds its desktop.
class PadCompanionSession {
public:
    PadCompanionSession();
    virtual ~PadCompanionSession() = default;

    PadTestbed testbed;
    DBusSession bus;

    ChildProcess& companion() { return *companion_; }
    const ChildProcess& companion() const { return *companion_; }

    // What the companion wrote on stderr so far.
    std::string companionErrors() const;

    // What a process needs to see this desktop, its bus and this home as the companion does.
    std::map<std::string, std::string> environment() const;

    // The master side of the pad's port, and the port itself (the slave side, which the
    // companion opens); both change when the pad is plugged in again.
    int pad() const { return pad_; }
    std::string padPort() const;

    // Pulls the pad's cable; udev announces it. The companion may hold the dead port until it
    // notices.
    void unplugPad();

    // Plugs the pad back in under a new name, cooked as start() leaves it, and udev announces it.
    void plugPadBackIn();

    // What the pad receives within `timeout`, at most as many bytes as `expected` has.
    std::string padReceives(const std::string& expected,
                            std::chrono::milliseconds timeout = std::chrono::seconds(5));

    // Reads what the pad receives until `line` has come, within `timeout`.
    bool padEventuallyReceives(const std::string& line,
                               std::chrono::milliseconds timeout = std::chrono::seconds(10));

    std::filesystem::path rulesFile() const { return home_.rulesFile(); }

protected:
    // Starts `binary`, replacing a companion started before; the pad's terminal is cooked first,
    // so that a companion that forgets raw mode shows it on the wire.
    void start(const std::string& binary);

    // The desktop's variables, which take precedence over the bus's and the home's.
    virtual std::map<std::string, std::string> desktopEnvironment() const = 0;

    CompanionHome home_;

private:
    TempDir errors_;
    int pad_;
    std::unique_ptr<ChildProcess> companion_;
};

}  // namespace dorvane::test
