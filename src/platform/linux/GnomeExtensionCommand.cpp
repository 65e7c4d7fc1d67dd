#include "app/GnomeExtensionCommand.hpp"

#include <gio/gio.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/linux/GLibHandles.hpp"
#include "platform/linux/GnomeExtensionSetup.hpp"

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

    std::vector<std::string> get() const {
        const std::unique_ptr<gchar*, GStrvDeleter> list(
            g_settings_get_strv(settings_.get(), enabledKey));
        return {list.get(), list.get() + g_strv_length(list.get())};
    }

    // Written through to the settings' store before this returns: the command exits next.
    bool set(const std::vector<std::string>& list) {
        std::vector<const gchar*> strings;
        for (const auto& uuid : list) {
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
std::optional<fs::path> systemCopyOf(const ExtensionVariant& variant) {
    for (const gchar* const* dir = g_get_system_data_dirs(); *dir != nullptr; ++dir) {
        const auto folder = fs::path(*dir) / "gnome-shell/extensions" / gnomeExtensionUuid;
        if (holdsVariant(folder, variant)) {
            return folder;
        }
    }
    return std::nullopt;
}

bool changeEnabled(bool enable, std::ostream& err) {
    auto settings = EnabledExtensions::open();
    if (!settings) {
        err << "dorvane: GNOME Shell's settings (" << shellSchema
            << ") are not installed here, so the extension cannot be "
            << (enable ? "enabled" : "disabled") << '\n';
        return false;
    }
    const auto current = settings->get();
    const auto changed = enable ? withExtension(current, gnomeExtensionUuid)
                                : withoutExtension(current, gnomeExtensionUuid);
    if (changed != current && !settings->set(changed)) {
        err << "dorvane: GNOME Shell's " << enabledKey << " setting cannot be changed\n";
        return false;
    }
    return true;
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
    if (major && *major > variant->newestShell) {
        err << "dorvane: GNOME Shell " << *major << " is newer than " << variant->newestShell
            << ", the newest that the extension lists; GNOME Shell may refuse to load it\n";
    }
    const auto userFolder = userExtensionFolder();
    const auto systemCopy = systemCopyOf(*variant);
    if (systemCopy) {
        // A copy of the user's own would hide the package's, and outlive its updates.
        fs::remove_all(userFolder);
    } else {
        writeVariant(userFolder, *variant);
    }
    if (!changeEnabled(true, err)) {
        return 1;
    }
    out << "The GNOME Shell extension " << gnomeExtensionUuid << " (for GNOME Shell "
        << variant->oldestShell << "\u2013" << variant->newestShell << ") is in "
        << (systemCopy ? *systemCopy : userFolder).string() << " and enabled.\n"
        << "Log out and back in once: GNOME Shell loads a new extension only at login.\n";
    return 0;
}

// Disabled first, so that a running GNOME Shell stops the extension while its files are there.
int uninstall(std::ostream& out, std::ostream& err) {
    if (!changeEnabled(false, err)) {
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

int runGnomeExtensionCommand(GnomeExtensionAction action, std::ostream& out, std::ostream& err) {
    return action == GnomeExtensionAction::install ? install(out, err) : uninstall(out, err);
}

}  // namespace dorvane
