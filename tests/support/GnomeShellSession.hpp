#pragma once

#include <chrono>
#include <map>
#include <memory>
#include <string>

#include "support/CompanionHome.hpp"
#include "support/DBusSession.hpp"
#include "support/GnomeShellDesktop.hpp"
#include "support/NotificationServer.hpp"
#include "support/PadTestbed.hpp"
#include "support/Process.hpp"

namespace dorvane::test {

// The real companion as a user of GNOME runs it: on a private GNOME Shell with an emulated pad
// and a home of its own, into which `dorvane gnome-extension install` put the extension before
// the shell started, unless the session is made without it. Windows of three applications are
// open, by app ID.
class GnomeShellSession {
public:
    // google-chrome.desktop, "Google Chrome".
    static constexpr const char* chrome = "google-chrome";
    // The entry is com.slack.Slack.desktop, found by its StartupWMClass: GNOME reports an ID
    // that differs from the window's.
    static constexpr const char* slack = "slack";
    // No desktop entry: GNOME reports a window-backed app.
    static constexpr const char* figma = "figma";

    enum class Extension { installed, absent };

    explicit GnomeShellSession(Extension extension = Extension::installed);

    DBusSession bus;
    // Owns the notification server's name before the shell could take it for its own.
    RecordingNotificationServer notifications{bus.address()};
    PadTestbed testbed;

    GnomeShellDesktop& desktop() { return *desktop_; }

    // Starts `binary` with `frontmost` focused; the pad's terminal is cooked first, so that a
    // companion that forgets raw mode shows it on the wire.
    void launch(const std::string& binary, const std::string& frontmost);
    ChildProcess& companion() { return *companion_; }

    // What the companion wrote on stderr so far.
    std::string companionErrors() const;

    // What a process needs to see this desktop and this home as the companion does.
    std::map<std::string, std::string> environment() const;

    // The master side of the pad's port.
    int pad() const { return pad_; }

    // What the pad receives within `timeout`, at most as many bytes as `expected` has.
    std::string padReceives(const std::string& expected,
                            std::chrono::milliseconds timeout = std::chrono::seconds(5));

private:
    std::map<std::string, std::string> homeEnvironment() const;

    CompanionHome home_;
    TempDir errors_;
    int pad_;
    std::unique_ptr<GnomeShellDesktop> desktop_;
    std::unique_ptr<ChildProcess> companion_;
};

}  // namespace dorvane::test
