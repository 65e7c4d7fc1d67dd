#include "support/PadCompanionSession.hpp"

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
    environment.merge(home_.environment());
    return environment;
}

std::string PadCompanionSession::padReceives(const std::string& expected,
                                             std::chrono::milliseconds timeout) {
    return readFromMaster(pad_, expected.size(), timeout, OnHangUp::keepWaiting);
}

}  // namespace dorvane::test
