#pragma once

#include <chrono>
#include <map>
#include <memory>
#include <string>

#include "testbed/GnomeShellDesktop.hpp"
#include "testbed/NotificationServer.hpp"
#include "testbed/PadCompanionSession.hpp"

namespace dorvane::test {

// The real companion as a user of GNOME runs it: on a private GNOME Shell with an emulated pad
// and a home of its own, into which `dorvane gnome-extension install` put the extension before
// the shell started, unless the session is made without it or with the extension spoilt as a
// user or an upgrade could leave it. Windows of three applications are open, by app ID.
class GnomeShellSession : public PadCompanionSession {
public:
    // google-chrome.desktop, "Google Chrome".
    static constexpr const char* chrome = "google-chrome";
    // The entry is com.slack.Slack.desktop, found by its StartupWMClass: GNOME reports an ID
    // that differs from the window's.
    static constexpr const char* slack = "slack";
    // No desktop entry: GNOME reports a window-backed app.
    static constexpr const char* figma = "figma";

    static constexpr const char* extensionUuid = "dorvane@dorvane.app";

    enum class Extension {
        installed,
        absent,
        disabled,   // removed from GNOME Shell's enabled-extensions
        outOfDate,  // its metadata lists only the GNOME Shell before this one
        broken,     // its code throws as the shell loads it
    };

    explicit GnomeShellSession(Extension extension = Extension::installed);

    // Owns the notification server's name before the shell could take it for its own.
    RecordingNotificationServer notifications{bus.address()};

    GnomeShellDesktop& desktop() { return *desktop_; }

    // Starts `binary` with `frontmost` focused.
    void launch(const std::string& binary, const std::string& frontmost);

private:
    void spoil(Extension extension);
    std::map<std::string, std::string> homeEnvironment() const;
    std::map<std::string, std::string> desktopEnvironment() const override;

    std::unique_ptr<GnomeShellDesktop> desktop_;
};

}  // namespace dorvane::test
