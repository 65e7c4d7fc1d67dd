#include "support/CompanionSession.hpp"

#include <stdlib.h>

#include <sstream>
#include <stdexcept>

#include "support/DesktopData.hpp"
#include "support/Eventually.hpp"
#include "support/Pty.hpp"
#include "support/StatusNotifierClient.hpp"

namespace dorvane::test {

CompanionSession::CompanionSession()
    : chrome(desktop.startClient("Google-chrome", "chromewin")),
      slack(desktop.startClient("Slack", "slackwin")),
      figma(desktop.startClient("Figma", "figmawin")),
      pad_(testbed.masterFd(testbed.plugInPad())) {
    // Desktop entries as applications install them: found by ID, or by StartupWMClass.
    home_.addDesktopEntry("google-chrome", "Name=Google Chrome\n");
    home_.addDesktopEntry("com.slack.Slack", "Name=Slack\nStartupWMClass=Slack\n");
}

void CompanionSession::startTrayHost() {
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

void CompanionSession::startXEmbedTray() {
    trayHost_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{"sh", "-c", "exec trayer --edge top --height 24 >/dev/null 2>&1"},
        desktop.environment());
    if (!desktop.waitForWindow("panel")) {
        throw std::runtime_error("trayer did not show its panel");
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
std::optional<XDesktop::WindowId> CompanionSession::dockedTrayIcon(
    std::chrono::milliseconds timeout) {
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
                run({"xdotool", "search", "--pid", std::to_string(companion_->pid())}));
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

int CompanionSession::coloursShownBy(XDesktop::WindowId window) const {
    const auto shown = runCommand(
        boundedXQuery({"import", "-window", std::to_string(window), "-format", "%k", "info:"}),
        desktop.environment());
    return shown.exitCode == 0 ? std::stoi(shown.out) : 0;
}

void CompanionSession::launch(const std::string& binary, XDesktop::WindowId frontmost) {
    desktop.activate(frontmost);
    cookTerminal(pad_);
    companion_ =
        std::make_unique<ChildProcess>(std::vector<std::string>{binary}, companionEnvironment());
}

std::map<std::string, std::string> CompanionSession::companionEnvironment() const {
    auto environment = testbed.childEnvironment();
    environment.merge(desktop.environment());
    environment.merge(bus.environment());
    environment.merge(home_.environment());
    return environment;
}

std::vector<std::string> CompanionSession::companionDescriptors() const {
    std::vector<std::string> targets;
    std::error_code goneMeanwhile;
    const auto folder = "/proc/" + std::to_string(companion_->pid()) + "/fd";
    for (const auto& descriptor : std::filesystem::directory_iterator(folder, goneMeanwhile)) {
        targets.push_back(std::filesystem::read_symlink(descriptor, goneMeanwhile));
    }
    return targets;
}

std::string CompanionSession::companionMemoryMap() const {
    return readFile("/proc/" + std::to_string(companion_->pid()) + "/maps");
}

std::string CompanionSession::padPort() const {
    char slave[64] = "";
    ptsname_r(pad_, slave, sizeof slave);
    return slave;
}

void CompanionSession::unplugPad() {
    testbed.unplugPad();
    pad_ = -1;
}

// Cooked before the companion can find it: cooking after the companion has opened it would undo
// the companion's raw mode.
void CompanionSession::plugPadBackIn() {
    pad_ = testbed.masterFd(testbed.plugInPad(cookTerminal));
}

std::string CompanionSession::padReceives(const std::string& expected,
                                          std::chrono::milliseconds timeout) {
    return readFromMaster(pad_, expected.size(), timeout, OnHangUp::keepWaiting);
}

void CompanionSession::recordWhatIsOpened() {
    installRecordingHandler(home_ / "data", home_ / "config", home_ / "opened");
}

std::string CompanionSession::opened() const {
    return readFile(home_ / "opened");
}

bool CompanionSession::padEventuallyReceives(const std::string& line,
                                             std::chrono::milliseconds timeout) {
    std::string received;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (received.find(line) == std::string::npos &&
           std::chrono::steady_clock::now() < deadline) {
        received += readFromMaster(pad_, 1, std::chrono::milliseconds(100), OnHangUp::keepWaiting);
    }
    return received.find(line) != std::string::npos;
}

std::filesystem::path CompanionSession::rulesFile() const {
    return home_.rulesFile();
}

}  // namespace dorvane::test
