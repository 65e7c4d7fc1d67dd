#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "support/CompanionHome.hpp"
#include "support/DBusSession.hpp"
#include "support/PadTestbed.hpp"
#include "support/Process.hpp"
#include "support/XDesktop.hpp"

namespace dorvane::test {

// The real companion as a user runs it, on a private desktop (Xvfb + openbox, a session bus)
// with an emulated pad and a home of its own. Windows of three applications are open: Google Chrome
// and Slack, which have desktop entries, and Figma, which has none.
class CompanionSession {
public:
    CompanionSession();

    XDesktop desktop;
    DBusSession bus;
    PadTestbed testbed;
    XDesktop::WindowId chrome;
    XDesktop::WindowId slack;
    XDesktop::WindowId figma;

    // Starts xfce4-panel, which hosts status items; returns once it does.
    void startTrayHost();

    // Starts trayer, a tray that docks XEmbed icons only and hosts no status items; returns once
    // its panel shows.
    void startXEmbedTray();

    // The companion's icon window once an XEmbed tray has docked it, within `timeout`.
    std::optional<XDesktop::WindowId> dockedTrayIcon(std::chrono::milliseconds timeout);

    // How many colours `window` shows: 1 when nothing is drawn on its background.
    int coloursShownBy(XDesktop::WindowId window) const;

    // Starts `binary` with `frontmost` in front; the pad's terminal is cooked first, so that a
    // companion that forgets raw mode shows it on the wire.
    void launch(const std::string& binary, XDesktop::WindowId frontmost);
    ChildProcess& companion() { return *companion_; }

    // What launch() gives the companion, for a command run beside it.
    std::map<std::string, std::string> companionEnvironment() const;

    // What the companion's descriptors lead to (links in /proc/PID/fd), one each.
    std::vector<std::string> companionDescriptors() const;

    // The companion's memory map (/proc/PID/maps), with the files it has mapped.
    std::string companionMemoryMap() const;

    // The master side of the pad's port, and the port itself (the slave side, which the
    // companion opens); both change when the pad is plugged in again.
    int pad() const { return pad_; }
    std::string padPort() const;

    // Pulls the pad's cable; udev announces it. The companion may hold the dead port until it
    // notices.
    void unplugPad();

    // Plugs the pad back in under a new name, cooked as launch() leaves it, and udev announces
    // it.
    void plugPadBackIn();

    // What the pad receives within `timeout`, at most as many bytes as `expected` has.
    std::string padReceives(const std::string& expected,
                            std::chrono::milliseconds timeout = std::chrono::seconds(5));

    // Reads what the pad receives until `line` has come, within `timeout`.
    bool padEventuallyReceives(const std::string& line,
                               std::chrono::milliseconds timeout = std::chrono::seconds(10));

    std::filesystem::path rulesFile() const;

    // Makes a recorder the companion's default handler for web addresses and text files; what
    // it was asked to open, one line each.
    void recordWhatIsOpened();
    std::string opened() const;

private:
    CompanionHome home_;
    int pad_;
    std::unique_ptr<ChildProcess> trayHost_;
    std::unique_ptr<ChildProcess> companion_;
};

}  // namespace dorvane::test
