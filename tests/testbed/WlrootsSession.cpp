#include "testbed/WlrootsSession.hpp"

namespace dorvane::test {

WlrootsSession::WlrootsSession(WlrootsCompositor compositor) : desktop(compositor) {
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

void WlrootsSession::launch(const std::string& binary, const std::string& frontmost) {
    desktop.focus(frontmost);
    start(binary);
}

std::map<std::string, std::string> WlrootsSession::desktopEnvironment() const {
    return desktop.environment();
}

}  // namespace dorvane::test
