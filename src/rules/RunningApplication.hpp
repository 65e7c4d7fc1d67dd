#pragma once

#include <optional>
#include <string>

namespace dorvane {

// What the companion knows of a running application. On macOS the bundle identifier and the
// localized name; on Linux the desktop-entry ID (without ".desktop") and the entry's Name.
// Both texts are valid UTF-8, whatever the platform: they reach menus, and D-Bus on Linux, which
// accept nothing else.
struct RunningApplication {
    std::optional<std::string> bundleIdentifier;
    std::optional<std::string> localizedName;

    bool operator==(const RunningApplication&) const = default;
};

}  // namespace dorvane
