#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/linux/GnomeExtensionVariants.hpp"

namespace dorvane {

// The parts of installing the GNOME Shell extension that need neither GNOME nor its settings.

// The major version in what `gnome-shell --version` prints ("GNOME Shell 43.9" gives 43); none
// for anything else.
std::optional<int> gnomeShellMajor(std::string_view versionOutput);

// The variant that GNOME Shell `major` loads; the newest when the version is not known, or newer
// than any variant lists. None for a GNOME Shell older than every variant.
const ExtensionVariant* extensionVariantFor(std::optional<int> major);

// GNOME's enabled-extensions list with `uuid` in it once, or without it; the others keep their
// order.
std::vector<std::string> withExtension(std::vector<std::string> enabled, std::string_view uuid);
std::vector<std::string> withoutExtension(std::vector<std::string> enabled, std::string_view uuid);

// Whether `folder` holds each of `variant`'s files, byte for byte.
bool holdsVariant(const std::filesystem::path& folder, const ExtensionVariant& variant);

// Makes `folder` hold `variant`'s files and nothing else. Throws std::filesystem::filesystem_error.
void writeVariant(const std::filesystem::path& folder, const ExtensionVariant& variant);

}  // namespace dorvane
