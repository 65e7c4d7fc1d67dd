#pragma once

#include <span>
#include <string_view>

namespace dorvane {

// The GNOME Shell extension that reports the focused application to the companion, as built into
// the binary, so that installing it needs no data folder. Both variants run the same reporting
// code; only the wrapper that GNOME Shell loads differs.

// The extension's folder name under gnome-shell/extensions/, and its UUID in GNOME's settings.
extern const std::string_view gnomeExtensionUuid;

struct ExtensionFile {
    std::string_view name;  // within the extension's folder
    std::string_view content;
};

struct ExtensionVariant {
    std::string_view name;  // "legacy" (imports.gi) or "modules" (ES modules)
    int oldestShell;        // the GNOME Shell majors that its metadata.json lists
    int newestShell;
    std::span<const ExtensionFile> files;
};

// Oldest first; the ranges follow each other without a gap.
std::span<const ExtensionVariant> gnomeExtensionVariants();

}  // namespace dorvane
