#include "testbed/X11Session.hpp"

#include <filesystem>
#include <sstream>
#include <stdexcept>

#include "support/Eventually.hpp"
#include "testbed/DesktopData.hpp"
#include "testbed/StatusNotifierClient.hpp"

namespace dorvane::test {

X11Session::X11Session()
    : chrome(desktop.startClient("Google-chrome", "chromewin")),
      slack(desktop.startClient("Slack", "slackwin")),
      figma(desktop.startClient("Figma", "figmawin")) {
    // Desktop entries as applications install them: found by ID, or by StartupWMClass.
    home_.addDesktopEntry("google-chrome", "Name=Google Chrome\n");
    home_.addDesktopEntry("com.slack.Slack", "Name=Slack\nStartupWMClass=Slack\n");
}

void X11Session::startTrayHost() {
    auto environment = desktop.environment();
    environment.merge(bus.environment());
    // The panel keeps its settings in a home of its own, and needs the system's themes.
    environment.insert({{"HOME", home_ / "panel"},
                        {"XDG_CONFIG_HOME", home_ / "panel/config"},
                        {"XDG_DATA_DIRS", "/usr/local/share:/usr/share"},
                        {"NO_AT_BRIDGE", "1"}});
    trayHost_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{"sh", "-c", "exec xfce4-panel >/dev/null 2>&1"}, environment);
    if (!StatusNotifierClient(bus.address()).waitForHost(std::chrono::seconds(10))) {
        throw std::runtime_error("xfce4-panel did not start hosting status items");
    }
}

// trayer where the release packages it (not sid), stalonetray otherwise (not Debian 12): both dock
// XEmbed icons only.
void X11Session::startXEmbedTray() {
    const bool trayer = runCommand({"sh", "-c", "command -v trayer"}).exitCode == 0;
    const std::string command = trayer ? "exec trayer --edge top --height 24 >/dev/null 2>&1"
                                       : "exec stalonetray --icon-size 24 >/dev/null 2>&1";
    trayHost_ = std::make_unique<ChildProcess>(std::vector<std::string>{"sh", "-c", command},
                                               desktop.environment());
    if (!desktop.waitForWindow(trayer ? "panel" : "stalonetray")) {
        throw std::runtime_error("the XEmbed tray did not show its window");
    }
}

namespace {

// A window caught while the tray reparents it can leave a query waiting on the server for good;
// bounded, the query fails and the caller's next try finds the window settled.
std::vector<std::string> boundedXQuery(std::vector<std::string> argv) {
    argv.insert(argv.begin(), {"timeout", "5"});
    return argv;
}

}  // namespace

// An XEmbed client window of the companion's that the tray has reparented away from the root.
std::optional<XDesktop::WindowId> X11Session::dockedTrayIcon(std::chrono::milliseconds timeout) {
    const auto run = [this](std::vector<std::string> argv) {
        return runCommand(boundedXQuery(std::move(argv)), desktop.environment()).out;
    };
    const auto isDocked = [&run](const std::string& window) {
        const bool embeds =
            run({"xprop", "-id", window, "_XEMBED_INFO"}).find('=') != std::string::npos;
        const std::string tree = run({"xwininfo", "-id", window, "-children"});
        const auto parent = tree.find("Parent window id:");
        return embeds && parent != std::string::npos &&
               tree.substr(parent, tree.find('\n', parent) - parent).find("(the root window)") ==
                   std::string::npos;
    };
    std::optional<XDesktop::WindowId> docked;
    eventually(
        [&] {
            std::istringstream windows(
                run({"xdotool", "search", "--pid", std::to_string(companion().pid())}));
            for (std::string window; windows >> window;) {
                if (isDocked(window)) {
                    docked = static_cast<XDesktop::WindowId>(std::stoul(window));
                }
            }
            return docked.has_value();
        },
        timeout);
    return docked;
}

int X11Session::coloursShownBy(XDesktop::WindowId window) const {
    const auto shown = runCommand(
        boundedXQuery({"import", "-window", std::to_string(window), "-format", "%k", "info:"}),
        desktop.environment());
    return shown.exitCode == 0 ? std::stoi(shown.out) : 0;
}

void X11Session::launch(const std::string& binary, XDesktop::WindowId frontmost) {
    desktop.activate(frontmost);
    start(binary);
}

std::map<std::string, std::string> X11Session::desktopEnvironment() const {
    return desktop.environment();
}

CommandResult X11Session::runBeside(const std::vector<std::string>& command) const {
    std::vector<std::string> argv{DORVANE_BINARY};
    argv.insert(argv.end(), command.begin(), command.end());
    return runCommand(argv, environment());
}

std::vector<std::string> X11Session::companionDescriptors() const {
    std::vector<std::string> targets;
    std::error_code goneMeanwhile;
    const auto folder = "/proc/" + std::to_string(companion().pid()) + "/fd";
    for (const auto& descriptor : std::filesystem::directory_iterator(folder, goneMeanwhile)) {
        targets.push_back(std::filesystem::read_symlink(descriptor, goneMeanwhile));
    }
    return targets;
}

std::string X11Session::companionMemoryMap() const {
    return readFile("/proc/" + std::to_string(companion().pid()) + "/maps");
}

void X11Session::recordWhatIsOpened() {
    installRecordingHandler(home_ / "data", home_ / "config", home_ / "opened");
}

std::string X11Session::opened() const {
    return readFile(home_ / "opened");
}

}  // namespace dorvane::test
