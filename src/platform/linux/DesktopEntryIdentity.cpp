#include "platform/linux/DesktopEntryIdentity.hpp"

#include <gio/gdesktopappinfo.h>

#include <string_view>

#include "platform/linux/GLibHandles.hpp"

namespace dorvane {
namespace {

constexpr std::string_view desktopSuffix = ".desktop";

std::string withoutDesktopSuffix(std::string_view desktopId) {
    if (desktopId.ends_with(desktopSuffix)) {
        desktopId.remove_suffix(desktopSuffix.size());
    }
    return std::string(desktopId);
}

// GIO gives the Name as UTF-8 (or "Unnamed"), but the ID is the file's name, which may hold any
// bytes.
std::string validUtf8(std::string_view text) {
    GCharPtr valid(g_utf8_make_valid(text.data(), static_cast<gssize>(text.size())));
    return valid.get();
}

RunningApplication describe(GAppInfo* entry) {
    RunningApplication application;
    if (const char* id = g_app_info_get_id(entry)) {
        application.bundleIdentifier = validUtf8(withoutDesktopSuffix(id));
    }
    if (const char* name = g_app_info_get_name(entry)) {
        application.localizedName = name;
    }
    return application;
}

GObjectPtr<GDesktopAppInfo> entryWithId(const std::optional<std::string>& applicationId) {
    if (!applicationId || applicationId->empty()) {
        return nullptr;
    }
    const std::string desktopId = *applicationId + std::string(desktopSuffix);
    return GObjectPtr<GDesktopAppInfo>(g_desktop_app_info_new(desktopId.c_str()));
}

template <typename Predicate>
GAppInfo* findEntry(GList* entries, Predicate matches) {
    for (GList* item = entries; item != nullptr; item = item->next) {
        auto* entry = static_cast<GAppInfo*>(item->data);
        if (matches(entry)) {
            return entry;
        }
    }
    return nullptr;
}

bool hasStartupWmClass(GAppInfo* entry, const std::string& wmClass) {
    if (!G_IS_DESKTOP_APP_INFO(entry)) {
        return false;
    }
    const char* startupWmClass = g_desktop_app_info_get_startup_wm_class(G_DESKTOP_APP_INFO(entry));
    return startupWmClass != nullptr && wmClass == startupWmClass;
}

bool hasIdIgnoringCase(GAppInfo* entry, const std::string& name) {
    const char* id = g_app_info_get_id(entry);
    return id != nullptr && g_ascii_strcasecmp(withoutDesktopSuffix(id).c_str(), name.c_str()) == 0;
}

GAppInfo* entryMatchingWmClass(GList* entries, const WindowFacts& facts) {
    if (facts.wmClassClass) {
        if (GAppInfo* entry = findEntry(
                entries, [&](GAppInfo* e) { return hasStartupWmClass(e, *facts.wmClassClass); })) {
            return entry;
        }
    }
    for (const auto* name : {&facts.wmClassClass, &facts.wmClassInstance}) {
        if (!*name) {
            continue;
        }
        if (GAppInfo* entry =
                findEntry(entries, [&](GAppInfo* e) { return hasIdIgnoringCase(e, **name); })) {
            return entry;
        }
    }
    return nullptr;
}

}  // namespace

RunningApplication identifyApplication(const WindowFacts& facts) {
    for (const auto* applicationId : {&facts.appId, &facts.gtkApplicationId, &facts.flatpakAppId}) {
        if (auto entry = entryWithId(*applicationId)) {
            return describe(G_APP_INFO(entry.get()));
        }
    }
    if (!facts.wmClassClass && !facts.wmClassInstance) {
        if (facts.appId && !facts.appId->empty()) {
            return {facts.appId, facts.appId};
        }
        return {};
    }
    // Every entry is loaded from disk here; callers cache the result per window.
    GObjectList entries(g_app_info_get_all());
    if (GAppInfo* entry = entryMatchingWmClass(entries.get(), facts)) {
        return describe(entry);
    }
    return {facts.wmClassClass, facts.wmClassClass};
}

std::optional<std::string> flatpakAppIdFromInfoFile(const std::string& path) {
    GKeyFilePtr keyFile(g_key_file_new());
    if (!g_key_file_load_from_file(keyFile.get(), path.c_str(), G_KEY_FILE_NONE, nullptr)) {
        return std::nullopt;
    }
    GCharPtr name(g_key_file_get_string(keyFile.get(), "Application", "name", nullptr));
    if (!name || *name == '\0') {
        return std::nullopt;
    }
    return std::string(name.get());
}

}  // namespace dorvane
