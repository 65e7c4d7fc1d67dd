#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "app/Notifier.hpp"

namespace dorvane {

// What GNOME Shell says of the extension, in GetExtensionInfo's answer and in each
// ExtensionStateChanged signal.
struct GnomeExtensionInfo {
    std::optional<int> state;     // GNOME Shell's ExtensionState; none while it knows no such UUID
    std::optional<bool> enabled;  // in GNOME Shell's list of enabled extensions (45 and later say)
    std::string error;            // the shell's own text, in the error state
};

// Whether GNOME Shell may yet move the extension to another state of its own accord: it has not
// loaded its extensions yet (as at login), or is turning this one on or off.
bool mayStillChange(const GnomeExtensionInfo& info);

// What the user is told when the extension cannot report: what is wrong, and the one command that
// mends it. `shellVersion` is the running GNOME Shell's ("51.0"), empty when it is not known.
// None while the extension runs, or is on its way to running.
std::optional<Notification> extensionNotice(const GnomeExtensionInfo& info,
                                            std::string_view shellVersion);

}  // namespace dorvane
