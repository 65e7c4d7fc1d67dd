#include "testbed/PadCompanionSession.hpp"

#include <stdlib.h>

#include <vector>

#include "support/Pty.hpp"

namespace dorvane::test {

PadCompanionSession::PadCompanionSession() : pad_(testbed.masterFd(testbed.plugInPad())) {}

void PadCompanionSession::start(const std::string& binary) {
    cookTerminal(pad_);
    companion_ =
        std::make_unique<ChildProcess>(std::vector<std::string>{"sh", "-c", "exec \"$@\" 2>\"$0\"",
                                                                errors_.path() / "stderr", binary},
                                       environment());
}

std::string PadCompanionSession::companionErrors() const {
    return readFile(errors_ / "stderr");
}

std::map<std::string, std::string> PadCompanionSession::environment() const {
    auto environment = testbed.childEnvironment();
    environment.merge(desktopEnvironment());
    environment.merge(bus.environment());
    environment.merge(home_.environment());
    return environment;
}

std::string PadCompanionSession::padPort() const {
    char slave[64] = "";
    ptsname_r(pad_, slave, sizeof slave);
    return slave;
}

void PadCompanionSession::unplugPad() {
    testbed.unplugPad();
    pad_ = -1;
}

// Cooked before the companion can find it: cooking after the companion has opened it would undo
// the companion's raw mode.
void PadCompanionSession::plugPadBackIn() {
    pad_ = testbed.masterFd(testbed.plugInPad(cookTerminal));
}

std::string PadCompanionSession::padReceives(const std::string& expected,
                                             std::chrono::milliseconds timeout) {
    return readFromMaster(pad_, expected.size(), timeout, OnHangUp::keepWaiting);
}

bool PadCompanionSession::padEventuallyReceives(const std::string& line,
                                                std::chrono::milliseconds timeout) {
    std::string received;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (received.find(line) == std::string::npos &&
           std::chrono::steady_clock::now() < deadline) {
        received += readFromMaster(pad_, 1, std::chrono::milliseconds(100), OnHangUp::keepWaiting);
    }
    return received.find(line) != std::string::npos;
}

}  // namespace dorvane::test
