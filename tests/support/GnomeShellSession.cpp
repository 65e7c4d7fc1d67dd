#include "support/GnomeShellSession.hpp"

#include <stdexcept>

#include "support/Eventually.hpp"

namespace dorvane::test {
namespace {

constexpr const char* uuid = "dorvane@dorvane.app";
constexpr double active = 1;

}  // namespace

GnomeShellSession::GnomeShellSession(Extension extension) {
    home_.addDesktopEntry(chrome, "Name=Google Chrome\n");
    home_.addDesktopEntry("com.slack.Slack", "Name=Slack\nStartupWMClass=slack\n");
    if (extension == Extension::installed) {
        const auto installed =
            runCommand({DORVANE_BINARY, "gnome-extension", "install"}, homeEnvironment());
        if (installed.exitCode != 0) {
            throw std::runtime_error("dorvane gnome-extension install failed: " + installed.err);
        }
    }
    desktop_ = std::make_unique<GnomeShellDesktop>(bus.address(), homeEnvironment());
    if (extension == Extension::installed &&
        !eventually([&] { return desktop_->extensionState(uuid) == active; },
                    std::chrono::seconds(10))) {
        throw std::runtime_error("GNOME Shell did not load the extension");
    }
    for (const char* appId : {figma, slack, chrome}) {
        desktop_->startClient(appId);
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
    environment.merge(bus.environment());
    environment.merge(homeEnvironment());
    return environment;
}

}  // namespace dorvane::test
