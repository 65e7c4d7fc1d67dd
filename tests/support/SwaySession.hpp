#pragma once

#include <chrono>
#include <map>
#include <memory>
#include <string>

#include "support/CompanionHome.hpp"
#include "support/DBusSession.hpp"
#include "support/PadTestbed.hpp"
#include "support/Process.hpp"
#include "support/SwayDesktop.hpp"

namespace dorvane::test {

// The real companion as a user of a wlroots desktop runs it: on a private sway with an emulated
// pad and a home of its own. Windows of four applications are open, by app ID.
class SwaySession {
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

    SwaySession();

    SwayDesktop desktop;
    DBusSession bus;
    PadTestbed testbed;

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
    CompanionHome home_;
    TempDir errors_;
    int pad_;
    std::unique_ptr<ChildProcess> companion_;
};

}  // namespace dorvane::test
