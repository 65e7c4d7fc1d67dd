#pragma once

#include <chrono>
#include <map>
#include <memory>
#include <string>

#include "support/CompanionHome.hpp"
#include "support/PadTestbed.hpp"
#include "support/Process.hpp"
#include "support/TempDir.hpp"

namespace dorvane::test {

// What every desktop's session shares: an emulated pad, a home of the companion's own, and the
// companion started with its stderr kept. A desktop's session adds its compositor and bus.
class PadCompanionSession {
public:
    PadCompanionSession();
    virtual ~PadCompanionSession() = default;

    PadTestbed testbed;

    ChildProcess& companion() { return *companion_; }

    // What the companion wrote on stderr so far.
    std::string companionErrors() const;

    // What a process needs to see this desktop, its bus and this home as the companion does.
    std::map<std::string, std::string> environment() const;

    // The master side of the pad's port.
    int pad() const { return pad_; }

    // What the pad receives within `timeout`, at most as many bytes as `expected` has.
    std::string padReceives(const std::string& expected,
                            std::chrono::milliseconds timeout = std::chrono::seconds(5));

protected:
    // Starts `binary`, replacing a companion started before; the pad's terminal is cooked first,
    // so that a companion that forgets raw mode shows it on the wire.
    void start(const std::string& binary);

    // The desktop's and its bus's variables, which take precedence over the home's.
    virtual std::map<std::string, std::string> desktopEnvironment() const = 0;

    CompanionHome home_;

private:
    TempDir errors_;
    int pad_;
    std::unique_ptr<ChildProcess> companion_;
};

}  // namespace dorvane::test
