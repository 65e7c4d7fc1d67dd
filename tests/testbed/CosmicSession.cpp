#include "testbed/CosmicSession.hpp"

namespace dorvane::test {

CosmicSession::CosmicSession() {
    home_.addDesktopEntry(chrome, "Name=Google Chrome\n");
    home_.addDesktopEntry(slack, "Name=Slack\n");
    for (const char* appId : {figma, slack, chrome}) {
        desktop.open(appId);
    }
}

void CosmicSession::launch(const std::string& binary, const std::string& frontmost) {
    desktop.focus(frontmost);
    start(binary);
}

std::map<std::string, std::string> CosmicSession::desktopEnvironment() const {
    return desktop.environment();
}

}  // namespace dorvane::test
