#pragma once

#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "support/CompanionHome.hpp"
#include "support/DBusSession.hpp"
#include "support/KWinDesktop.hpp"
#include "support/PadTestbed.hpp"
#include "support/Process.hpp"

namespace dorvane::test {

// The real companion as a user of KDE Plasma runs it: on a private KWin with an emulated pad and
// a home of its own. Windows of four applications are open, by app ID.
class KWinSession {
public:
    // google-chrome.desktop, "Google Chrome": found by the ID KWin reports.
    static constexpr const char* chrome = "google-chrome";
    // com.slack.Slack.desktop, "Slack": found by its StartupWMClass.
    static constexpr const char* slack = "Slack";
    // cursor.desktop, "Cursor": found by its ID, ignoring case.
    static constexpr const char* cursor = "Cursor";
    // No desktop entry at all.
    static constexpr const char* figma = "figma";

    KWinSession();

    DBusSession bus;
    KWinDesktop desktop{bus};
    PadTestbed testbed;

    // Starts `binary` with `frontmost` active; the pad's terminal is cooked first, so that a
    // companion that forgets raw mode shows it on the wire. A second launch replaces the first.
    void launch(const std::string& binary, const std::string& frontmost);
    ChildProcess& companion() { return *companion_; }

    // What the companion wrote on stderr so far.
    std::string companionErrors() const;

    // What a process needs to see this desktop, this bus and this home as the companion does.
    std::map<std::string, std::string> environment() const;

    // The companion's runtime folder, where it writes KWin's script.
    std::filesystem::path companionRuntime() const { return environment().at("XDG_RUNTIME_DIR"); }

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
