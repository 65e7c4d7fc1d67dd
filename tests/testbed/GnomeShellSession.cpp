#include "testbed/GnomeShellSession.hpp"

#include <regex>
#include <stdexcept>

#include "support/Eventually.hpp"

namespace dorvane::test {
namespace {

// GNOME Shell's state of the extension once it has loaded it as `extension` left it.
double stateOf(GnomeShellSession::Extension extension) {
    using Extension = GnomeShellSession::Extension;
    switch (extension) {
        case Extension::installed:
            return 1;
        case Extension::broken:
            return 3;
        case Extension::outOfDate:
            return 4;
        case Extension::disabled:
            return 6;
        case Extension::absent:
            break;
    }
    return 0;
}

int installedShellMajor() {
    const auto printed = runCommand({"gnome-shell", "--version"}).out;
    std::smatch major;
    if (!std::regex_search(printed, major, std::regex("GNOME Shell ([0-9]+)"))) {
        throw std::runtime_error("gnome-shell --version printed " + printed);
    }
    return std::stoi(major[1]);
}

}  // namespace

GnomeShellSession::GnomeShellSession(Extension extension) {
    home_.addDesktopEntry(chrome, "Name=Google Chrome\n");
    home_.addDesktopEntry("com.slack.Slack", "Name=Slack\nStartupWMClass=slack\n");
    if (extension != Extension::absent) {
        const auto installed =
            runCommand({DORVANE_BINARY, "gnome-extension", "install"}, homeEnvironment());
        if (installed.exitCode != 0) {
            throw std::runtime_error("dorvane gnome-extension install failed: " + installed.err);
        }
        spoil(extension);
    }
    desktop_ = std::make_unique<GnomeShellDesktop>(bus.address(), homeEnvironment());
    const double loaded = stateOf(extension);
    if (!eventually([&] { return desktop_->extensionInfo(extensionUuid).state == loaded; },
                    std::chrono::seconds(10))) {
        throw std::runtime_error("GNOME Shell did not load the extension as the test left it");
    }
    for (const char* appId : {figma, slack, chrome}) {
        desktop_->startClient(appId);
    }
}

void GnomeShellSession::spoil(Extension extension) {
    const auto copy = home_ / "data/gnome-shell/extensions" / extensionUuid;
    if (extension == Extension::disabled) {
        const auto set = runCommand(
            {"gsettings", "set", "org.gnome.shell", "enabled-extensions", "[]"}, homeEnvironment());
        if (set.exitCode != 0) {
            throw std::runtime_error("gsettings failed: " + set.err);
        }
    } else if (extension == Extension::outOfDate) {
        // As an upgrade of GNOME Shell finds the copy that the last one ran.
        const std::string older = std::to_string(installedShellMajor() - 1);
        writeFile(copy / "metadata.json",
                  std::regex_replace(readFile(copy / "metadata.json"),
                                     std::regex(R"("shell-version": \[[^\]]*\])"),
                                     "\"shell-version\": [\"" + older + "\"]"));
    } else if (extension == Extension::broken) {
        writeFile(copy / "extension.js", "throw new Error('spoilt by the test');\n");
    }
}

void GnomeShellSession::launch(const std::string& binary, const std::string& frontmost) {
    desktop_->activate(frontmost);
    start(binary);
}

// GNOME Shell and the companion read the same settings: a file, rather than dconf, whose
// service would take its folder from the bus's environment, not the home's.
std::map<std::string, std::string> GnomeShellSession::homeEnvironment() const {
    auto environment = home_.environment();
    environment["GSETTINGS_BACKEND"] = "keyfile";
    return environment;
}

std::map<std::string, std::string> GnomeShellSession::desktopEnvironment() const {
    auto environment = desktop_->environment();
    environment.merge(homeEnvironment());
    return environment;
}

}  // namespace dorvane::test
