#include "platform/linux/gnome/GnomeExtensionState.hpp"

#include <algorithm>

#include "platform/linux/gnome/GnomeExtensionVariants.hpp"

namespace dorvane {
namespace {

// GNOME Shell's ExtensionState. 2 and 6 are both "off": 6 when it was never enabled in this
// session, 2 when it was turned off (or paused on the lock screen, where `enabled` stays true).
enum ShellState {
    active = 1,
    inactive = 2,
    failed = 3,
    outOfDate = 4,
    downloading = 5,
    initialized = 6,
    deactivating = 7,
    activating = 8,
    uninstalled = 99,
};

constexpr const char* summary = "Dorvane cannot see the application in front";
constexpr const char* reinstall =
    "run \"dorvane gnome-extension install\", then log out and back in.";

bool isOff(const GnomeExtensionInfo& info) {
    return (info.state == inactive || info.state == initialized) && info.enabled != true;
}

// The shell's error on one line, as stderr has it.
std::string oneLine(std::string text) {
    std::replace(text.begin(), text.end(), '\n', ' ');
    return text;
}

}  // namespace

bool mayStillChange(const GnomeExtensionInfo& info) {
    if (!info.state) {
        return true;
    }
    switch (*info.state) {
        case downloading:
        case deactivating:
        case activating:
            return true;
        case inactive:
        case initialized:
            return !isOff(info);
        default:
            return false;
    }
}

std::optional<Notification> extensionNotice(const GnomeExtensionInfo& info,
                                            std::string_view shellVersion) {
    if (!info.state || info.state == uninstalled) {
        return Notification{summary,
                            "GNOME Shell needs the Dorvane extension to tell which application is "
                            "in front: " +
                                std::string(reinstall)};
    }
    if (isOff(info)) {
        return Notification{summary,
                            "The Dorvane extension is installed but turned off in "
                            "GNOME Shell: run \"gnome-extensions enable " +
                                std::string(gnomeExtensionUuid) + "\"."};
    }
    if (info.state == outOfDate) {
        const std::string shell =
            shellVersion.empty() ? "This GNOME Shell" : "GNOME Shell " + std::string(shellVersion);
        return Notification{summary, shell +
                                         " does not load the Dorvane extension, whose copy lists "
                                         "only older versions: " +
                                         reinstall};
    }
    if (info.state == failed) {
        const std::string error = info.error.empty() ? "" : " (" + oneLine(info.error) + ")";
        return Notification{summary, "GNOME Shell stopped the Dorvane extension with an error" +
                                         error + ": " + reinstall};
    }
    return std::nullopt;
}

}  // namespace dorvane
