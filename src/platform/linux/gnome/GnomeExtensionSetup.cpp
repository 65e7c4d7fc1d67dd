#include "platform/linux/gnome/GnomeExtensionSetup.hpp"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <regex>

namespace dorvane {

std::optional<int> gnomeShellMajor(std::string_view versionOutput) {
    static const std::regex version(R"(^GNOME Shell ([0-9]{1,4})(\.[^\s]*)?\s*$)");
    std::match_results<std::string_view::const_iterator> match;
    if (!std::regex_match(versionOutput.begin(), versionOutput.end(), match, version)) {
        return std::nullopt;
    }
    return std::stoi(match[1].str());
}

const ExtensionVariant* extensionVariantFor(std::optional<int> major) {
    const auto variants = gnomeExtensionVariants();
    if (!major || *major > variants.back().newestShell) {
        return &variants.back();
    }
    for (const ExtensionVariant& variant : variants) {
        if (*major >= variant.oldestShell && *major <= variant.newestShell) {
            return &variant;
        }
    }
    return nullptr;
}

std::vector<std::string> withExtension(std::vector<std::string> enabled, std::string_view uuid) {
    if (std::find(enabled.begin(), enabled.end(), uuid) == enabled.end()) {
        enabled.emplace_back(uuid);
    }
    return enabled;
}

std::vector<std::string> withoutExtension(std::vector<std::string> enabled, std::string_view uuid) {
    std::erase(enabled, uuid);
    return enabled;
}

std::vector<InstalledFile> filesFor(const ExtensionVariant& variant, std::optional<int> major) {
    std::vector<InstalledFile> files;
    for (const ExtensionFile& file : variant.files) {
        files.push_back({std::string(file.name), std::string(file.content)});
    }
    if (!major || *major <= variant.newestShell) {
        return files;
    }
    for (InstalledFile& file : files) {
        // The list is the one metadata.json.in writes: "shell-version": ["45", ..., "51"].
        const auto list = file.content.find("\"shell-version\": [");
        const auto end = file.content.find(']', list);
        if (file.name == "metadata.json" && list != std::string::npos && end != std::string::npos) {
            file.content.insert(end, ", \"" + std::to_string(*major) + '"');
        }
    }
    return files;
}

bool holdsFiles(const std::filesystem::path& folder, const std::vector<InstalledFile>& files) {
    return std::all_of(files.begin(), files.end(), [&](const InstalledFile& file) {
        std::ifstream stream(folder / file.name, std::ios::binary);
        const std::string content{std::istreambuf_iterator<char>(stream), {}};
        return stream.is_open() && content == file.content;
    });
}

void writeFiles(const std::filesystem::path& folder, const std::vector<InstalledFile>& files) {
    // Whatever another variant or release left there goes: GNOME Shell would load it alongside.
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    for (const InstalledFile& file : files) {
        std::ofstream stream(folder / file.name, std::ios::binary);
        stream.write(file.content.data(), static_cast<std::streamsize>(file.content.size()));
        if (!stream.flush()) {
            throw std::filesystem::filesystem_error("cannot write", folder / file.name,
                                                    std::make_error_code(std::errc::io_error));
        }
    }
}

}  // namespace dorvane
