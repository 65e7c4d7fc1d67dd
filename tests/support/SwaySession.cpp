#include "support/SwaySession.hpp"

#include "support/Pty.hpp"

namespace dorvane::test {

SwaySession::SwaySession() : pad_(testbed.masterFd(testbed.plugInPad())) {
    home_.addDesktopEntry(chrome, "Name=Google Chrome\n");
    home_.addDesktopEntry(slack, "Name=Slack\n");
    home_.addDesktopEntry("cursor", "Name=Cursor\nMimeType=x-scheme-handler/cursor;\n");
    home_.addDesktopEntry(cursor,
                          "Name=Cursor - URL Handler\nNoDisplay=true\n"
                          "MimeType=x-scheme-handler/cursor;\n");
    for (const char* appId : {figma, cursor, slack, chrome}) {
        desktop.startClient(appId);
    }
}

void SwaySession::launch(const std::string& binary, const std::string& frontmost) {
    desktop.focus(frontmost);
    cookTerminal(pad_);
    companion_ =
        std::make_unique<ChildProcess>(std::vector<std::string>{"sh", "-c", "exec \"$@\" 2>\"$0\"",
                                                                errors_.path() / "stderr", binary},
                                       environment());
}

std::string SwaySession::companionErrors() const {
    return readFile(errors_ / "stderr");
}

std::map<std::string, std::string> SwaySession::environment() const {
    auto environment = testbed.childEnvironment();
    environment.merge(desktop.environment());
    environment.merge(bus.environment());
    environment.merge(home_.environment());
    return environment;
}

std::string SwaySession::padReceives(const std::string& expected,
                                     std::chrono::milliseconds timeout) {
    return readFromMaster(pad_, expected.size(), timeout, OnHangUp::keepWaiting);
}

}  // namespace dorvane::test
