#pragma once

#include <filesystem>

namespace dorvane {

// The name the tray's icon goes by, in the installed icon theme and in the one drawn here.
inline constexpr const char* trayIconName = "dorvane-symbolic";

// Draws the tray's icon into `folder` as an icon theme: the symbolic SVG that hosts read, and PNGs
// at the sizes trays use for libayatana's XEmbed fallback. False when any of it cannot be written.
bool writeTrayIconTheme(const std::filesystem::path& folder);

}  // namespace dorvane
