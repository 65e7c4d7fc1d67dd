#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/linux/gnome/GnomeExtensionVariants.hpp"

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

// One file of the extension as it is installed, under its folder.
struct InstalledFile {
    std::string name;
    std::string content;
};

// `variant`'s files, as installed for GNOME Shell `major`: one newer than the variant lists is
// added to the metadata's shell-version, so that it loads the extension, untested there, rather
// than refuse it as out of date.
std::vector<InstalledFile> filesFor(const ExtensionVariant& variant, std::optional<int> major);

// Whether `folder` holds each of `files`, byte for byte.
bool holdsFiles(const std::filesystem::path& folder, const std::vector<InstalledFile>& files);

// Makes `folder` hold `files` and nothing else. Throws std::filesystem::filesystem_error.
void writeFiles(const std::filesystem::path& folder, const std::vector<InstalledFile>& files);

}  // namespace dorvane
