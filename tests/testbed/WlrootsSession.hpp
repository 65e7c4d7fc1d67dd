#pragma once

#include <map>
#include <string>

#include "testbed/PadCompanionSession.hpp"
#include "testbed/WlrootsDesktop.hpp"

namespace dorvane::test {

// The real companion as a user of a wlroots desktop runs it: on a private sway or labwc with an
// emulated pad and a home of its own. Windows of four applications are open, by app ID.
class WlrootsSession : public PadCompanionSession {
public:
    // google-chrome.desktop, "Google Chrome".
    static constexpr const char* chrome = "google-chrome";
    // A Flatpak's app ID: com.slack.Slack.desktop, "Slack".
    static constexpr const char* slack = "com.slack.Slack";
    // No desktop entry at all.
    static constexpr const char* figma = "figma";
    // What the editor reports on Wayland: a hidden URL-handler entry matches it, and the visible
    // cursor.desktop, "Cursor", is the application.
    static constexpr const char* cursor = "cursor-url-handler";

    explicit WlrootsSession(WlrootsCompositor compositor);

    WlrootsDesktop desktop;

    // Starts `binary` with `frontmost` focused.
    void launch(const std::string& binary, const std::string& frontmost);

private:
    std::map<std::string, std::string> desktopEnvironment() const override;
};

}  // namespace dorvane::test
