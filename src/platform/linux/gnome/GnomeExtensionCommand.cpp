#include "platform/linux/gnome/GnomeExtensionCommand.hpp"

#include <gio/gio.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "platform/linux/glib/GLibHandles.hpp"
#include "platform/linux/gnome/GnomeExtensionSetup.hpp"

namespace dorvane {
namespace {

namespace fs = std::filesystem;

constexpr const char* shellSchema = "org.gnome.shell";
constexpr const char* enabledKey = "enabled-extensions";

struct GStrvDeleter {
    void operator()(gchar** strings) const { g_strfreev(strings); }
};

struct SchemaUnref {
    void operator()(GSettingsSchema* schema) const { g_settings_schema_unref(schema); }
};

// The GNOME Shell this system would start at the next login; none without one.
std::optional<int> installedShellMajor() {
    const gchar* argv[] = {"gnome-shell", "--version", nullptr};
    gchar* output = nullptr;
    gint status = 0;
    if (!g_spawn_sync(nullptr, const_cast<gchar**>(argv), nullptr,
                      static_cast<GSpawnFlags>(G_SPAWN_SEARCH_PATH | G_SPAWN_STDERR_TO_DEV_NULL),
                      nullptr, nullptr, &output, nullptr, &status, nullptr)) {
        return std::nullopt;
    }
    const GCharPtr owned(output);
    if (!g_spawn_check_wait_status(status, nullptr)) {
        return std::nullopt;
    }
    return gnomeShellMajor(owned.get());
}

// org.gnome.shell's enabled-extensions, which GNOME Shell follows while it runs. None where
// GNOME Shell's settings are not installed: GSettings would abort on an unknown schema.
class EnabledExtensions {
public:
    static std::optional<EnabledExtensions> open() {
        GSettingsSchemaSource* source = g_settings_schema_source_get_default();
        if (source == nullptr) {
            return std::nullopt;
        }
        std::unique_ptr<GSettingsSchema, SchemaUnref> schema(
            g_settings_schema_source_lookup(source, shellSchema, TRUE));
        if (!schema) {
            return std::nullopt;
        }
        return EnabledExtensions(g_settings_new_full(schema.get(), nullptr, nullptr));
    }

    // False where an administrator locked the setting, or its store is read-only.
    bool writable() const { return g_settings_is_writable(settings_.get(), enabledKey); }

    // Adds or removes the extension, keeping the others, and writes the change through to the
    // settings' store before this returns: the command exits next.
    bool include(bool enable) {
        const std::unique_ptr<gchar*, GStrvDeleter> stored(
            g_settings_get_strv(settings_.get(), enabledKey));
        const std::vector<std::string> current(stored.get(),
                                               stored.get() + g_strv_length(stored.get()));
        const auto changed = enable ? withExtension(current, gnomeExtensionUuid)
                                    : withoutExtension(current, gnomeExtensionUuid);
        if (changed == current) {
            return true;
        }
        std::vector<const gchar*> strings;
        for (const auto& uuid : changed) {
            strings.push_back(uuid.c_str());
        }
        strings.push_back(nullptr);
        const bool written = g_settings_set_strv(settings_.get(), enabledKey, strings.data());
        g_settings_sync();
        return written;
    }

private:
    explicit EnabledExtensions(GSettings* settings) : settings_(settings) {}

    GObjectPtr<GSettings> settings_;
};

fs::path userExtensionFolder() {
    return fs::path(g_get_user_data_dir()) / "gnome-shell/extensions" / gnomeExtensionUuid;
}

// A copy that the package put where GNOME Shell looks for every user's extensions.
std::optional<fs::path> systemCopyOf(const std::vector<InstalledFile>& files) {
    for (const gchar* const* dir = g_get_system_data_dirs(); *dir != nullptr; ++dir) {
        const auto folder = fs::path(*dir) / "gnome-shell/extensions" / gnomeExtensionUuid;
        if (holdsFiles(folder, files)) {
            return folder;
        }
    }
    return std::nullopt;
}

// Removes a folder when it goes out of scope, unless told to keep it.
class RemovedUnlessKept {
public:
    explicit RemovedUnlessKept(fs::path folder) : folder_(std::move(folder)) {}
    ~RemovedUnlessKept() {
        if (!kept_) {
            std::error_code ignored;
            fs::remove_all(folder_, ignored);
        }
    }
    RemovedUnlessKept(const RemovedUnlessKept&) = delete;
    RemovedUnlessKept& operator=(const RemovedUnlessKept&) = delete;

    void keep() { kept_ = true; }

private:
    fs::path folder_;
    bool kept_ = false;
};

void sayUnchangeable(std::ostream& err) {
    err << "dorvane: GNOME Shell's " << enabledKey << " setting cannot be changed\n";
}

// The settings, once it is known that they can be changed: asked before any file is touched, so
// that a command that cannot enable or disable the extension leaves everything as it was.
std::optional<EnabledExtensions> changeableSettings(bool enable, std::ostream& err) {
    auto settings = EnabledExtensions::open();
    if (!settings) {
        err << "dorvane: GNOME Shell's settings (" << shellSchema
            << ") are not installed here, so the extension cannot be "
            << (enable ? "enabled" : "disabled") << '\n';
        return std::nullopt;
    }
    if (!settings->writable()) {
        sayUnchangeable(err);
        return std::nullopt;
    }
    return settings;
}

int install(std::ostream& out, std::ostream& err) {
    const auto major = installedShellMajor();
    const ExtensionVariant* variant = extensionVariantFor(major);
    if (variant == nullptr) {
        err << "dorvane: GNOME Shell " << *major << " is older than "
            << gnomeExtensionVariants().front().oldestShell
            << ", the oldest that the extension supports\n";
        return 1;
    }
    auto settings = changeableSettings(true, err);
    if (!settings) {
        return 1;
    }
    const bool untested = major && *major > variant->newestShell;
    if (untested) {
        err << "dorvane: GNOME Shell " << *major << " is newer than " << variant->newestShell
            << ", the newest that the extension was tested on; it is installed for " << *major
            << " all the same, untested there\n";
    }
    const auto files = filesFor(*variant, major);
    const auto userFolder = userExtensionFolder();
    const auto systemCopy = systemCopyOf(files);
    // Gone again unless the extension is enabled: a half-written or unused copy would be loaded
    // at the next login all the same.
    RemovedUnlessKept written(userFolder);
    if (systemCopy) {
        // A copy of the user's own would hide the package's, and outlive its updates.
        fs::remove_all(userFolder);
    } else {
        writeFiles(userFolder, files);
    }
    if (!settings->include(true)) {
        sayUnchangeable(err);
        return 1;
    }
    written.keep();
    out << "The GNOME Shell extension " << gnomeExtensionUuid << " (for GNOME Shell "
        << variant->oldestShell << "\u2013" << variant->newestShell;
    if (untested) {
        out << ", and " << *major << " untested";
    }
    out << ") is in " << (systemCopy ? *systemCopy : userFolder).string() << " and enabled.\n"
        << "Log out and back in once: GNOME Shell loads a new extension only at login.\n";
    return 0;
}

// Disabled first, so that a running GNOME Shell stops the extension while its files are there.
int uninstall(std::ostream& out, std::ostream& err) {
    auto settings = changeableSettings(false, err);
    if (!settings) {
        return 1;
    }
    if (!settings->include(false)) {
        sayUnchangeable(err);
        return 1;
    }
    const auto userFolder = userExtensionFolder();
    const bool removed = fs::remove_all(userFolder) > 0;
    out << "The GNOME Shell extension " << gnomeExtensionUuid << " is disabled";
    if (removed) {
        out << ", and " << userFolder.string() << " is removed";
    }
    out << ".\n";
    return 0;
}

}  // namespace

Command gnomeExtensionCommand() {
    return {
        "gnome-extension",
        "  gnome-extension install|uninstall\n"
        "                                put in place and enable the GNOME Shell extension that\n"
        "                                tells the companion what is in front, or take it away\n",
        [](const std::vector<std::string>& args, std::ostream& out,
           std::ostream& err) -> std::optional<int> {
            if (args.size() != 1) {
                return std::nullopt;
            }
            if (args[0] == "install") {
                return install(out, err);
            }
            if (args[0] == "uninstall") {
                return uninstall(out, err);
            }
            return std::nullopt;
        },
    };
}

}  // namespace dorvane
