#pragma once

#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "support/Process.hpp"
#include "testbed/PadCompanionSession.hpp"
#include "testbed/XDesktop.hpp"

namespace dorvane::test {

// The real companion as a user of an X11 desktop runs it: on a private Xvfb + openbox with an
// emulated pad and a home of its own. Windows of three applications are open: Google Chrome and
// Slack, which have desktop entries, and Figma, which has none.
class X11Session : public PadCompanionSession {
public:
    X11Session();

    XDesktop desktop;
    XDesktop::WindowId chrome;
    XDesktop::WindowId slack;
    XDesktop::WindowId figma;

    // Starts xfce4-panel, which hosts status items; returns once it does.
    void startTrayHost();

    // Starts a tray that docks XEmbed icons only and hosts no status items (trayer or
    // stalonetray); returns once its window shows.
    void startXEmbedTray();

    // The companion's icon window once an XEmbed tray has docked it, within `timeout`.
    std::optional<XDesktop::WindowId> dockedTrayIcon(std::chrono::milliseconds timeout);

    // How many colours `window` shows: 1 when nothing is drawn on its background.
    int coloursShownBy(XDesktop::WindowId window) const;

    // Starts `binary` with `frontmost` in front.
    void launch(const std::string& binary, XDesktop::WindowId frontmost);

    // Runs `dorvane COMMAND...` beside the companion, as its user would, to its end.
    CommandResult runBeside(const std::vector<std::string>& command) const;

    // What the companion's descriptors lead to (links in /proc/PID/fd), one each.
    std::vector<std::string> companionDescriptors() const;

    // The companion's memory map (/proc/PID/maps), with the files it has mapped.
    std::string companionMemoryMap() const;

    // Makes a recorder the companion's default handler for web addresses and text files; what
    // it was asked to open, one line each.
    void recordWhatIsOpened();
    std::string opened() const;

private:
    std::map<std::string, std::string> desktopEnvironment() const override;

    std::unique_ptr<ChildProcess> trayHost_;
};

}  // namespace dorvane::test
