#include "testbed/KWinSession.hpp"

namespace dorvane::test {

KWinSession::KWinSession() {
    home_.addDesktopEntry(chrome, "Name=Google Chrome\n");
    home_.addDesktopEntry("com.slack.Slack", "Name=Slack\nStartupWMClass=Slack\n");
    home_.addDesktopEntry("cursor", "Name=Cursor\n");
    for (const char* appId : {figma, cursor, slack, chrome}) {
        desktop.startClient(appId);
    }
}

void KWinSession::launch(const std::string& binary, const std::string& frontmost) {
    desktop.activate(frontmost);
    start(binary);
}

std::map<std::string, std::string> KWinSession::desktopEnvironment() const {
    return desktop.environment();
}

}  // namespace dorvane::test
