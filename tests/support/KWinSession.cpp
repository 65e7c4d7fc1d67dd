#include "support/KWinSession.hpp"

#include "support/Pty.hpp"

namespace dorvane::test {

KWinSession::KWinSession() : pad_(testbed.masterFd(testbed.plugInPad())) {
    home_.addDesktopEntry(chrome, "Name=Google Chrome\n");
    home_.addDesktopEntry("com.slack.Slack", "Name=Slack\nStartupWMClass=Slack\n");
    home_.addDesktopEntry("cursor", "Name=Cursor\n");
    for (const char* appId : {figma, cursor, slack, chrome}) {
        desktop.startClient(appId);
    }
}

void KWinSession::launch(const std::string& binary, const std::string& frontmost) {
    desktop.activate(frontmost);
    cookTerminal(pad_);
    companion_ =
        std::make_unique<ChildProcess>(std::vector<std::string>{"sh", "-c", "exec \"$@\" 2>\"$0\"",
                                                                errors_.path() / "stderr", binary},
                                       environment());
}

std::string KWinSession::companionErrors() const {
    return readFile(errors_ / "stderr");
}

std::map<std::string, std::string> KWinSession::environment() const {
    auto environment = testbed.childEnvironment();
    environment.merge(desktop.environment());
    environment.merge(bus.environment());
    environment.merge(home_.environment());
    return environment;
}

std::string KWinSession::padReceives(const std::string& expected,
                                     std::chrono::milliseconds timeout) {
    return readFromMaster(pad_, expected.size(), timeout, OnHangUp::keepWaiting);
}

}  // namespace dorvane::test
