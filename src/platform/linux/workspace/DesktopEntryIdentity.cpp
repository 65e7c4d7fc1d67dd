#include "platform/linux/workspace/DesktopEntryIdentity.hpp"

#include <gio/gdesktopappinfo.h>

#include <string_view>

#include "platform/linux/glib/GLibHandles.hpp"
#include "platform/linux/workspace/ValidUtf8.hpp"
#include "text/UnlessEmpty.hpp"

namespace dorvane {
namespace {

using DesktopEntryPtr = GObjectPtr<GDesktopAppInfo>;

constexpr std::string_view desktopSuffix = ".desktop";

// On Wayland the app ID plays the part that the window class plays on X11.
const std::string* windowClass(const WindowFacts& facts) {
    if (const std::string* wmClass = nonEmpty(facts.wmClassClass)) {
        return wmClass;
    }
    return nonEmpty(facts.appId);
}

std::string entryId(GDesktopAppInfo* entry) {
    const char* id = g_app_info_get_id(G_APP_INFO(entry));
    return id != nullptr ? withoutDesktopSuffix(id) : std::string();
}

RunningApplication describe(GDesktopAppInfo* entry) {
    RunningApplication application;
    // GIO gives the Name as UTF-8 (or "Unnamed"), but the ID is the file's name, which may hold
    // any bytes.
    if (g_app_info_get_id(G_APP_INFO(entry)) != nullptr) {
        application.bundleIdentifier = validUtf8(entryId(entry));
    }
    if (const char* name = g_app_info_get_name(G_APP_INFO(entry))) {
        application.localizedName = name;
    }
    return application;
}

DesktopEntryPtr entryWithId(const std::string& id) {
    const std::string desktopId = id + std::string(desktopSuffix);
    return DesktopEntryPtr(g_desktop_app_info_new(desktopId.c_str()));
}

DesktopEntryPtr entryNamedDirectly(const WindowFacts& facts) {
    for (const auto* fact : {&facts.appId, &facts.gtkApplicationId, &facts.flatpakAppId}) {
        if (const std::string* id = nonEmpty(*fact)) {
            if (auto entry = entryWithId(*id)) {
                return entry;
            }
        }
    }
    return nullptr;
}

template <typename Predicate>
DesktopEntryPtr findEntry(GList* entries, Predicate matches) {
    for (GList* item = entries; item != nullptr; item = item->next) {
        if (!G_IS_DESKTOP_APP_INFO(item->data)) {
            continue;
        }
        auto* entry = G_DESKTOP_APP_INFO(item->data);
        if (matches(entry)) {
            return DesktopEntryPtr(G_DESKTOP_APP_INFO(g_object_ref(entry)));
        }
    }
    return nullptr;
}

bool hasStartupWmClass(GDesktopAppInfo* entry, const std::string& wmClass) {
    const char* startupWmClass = g_desktop_app_info_get_startup_wm_class(entry);
    return startupWmClass != nullptr && wmClass == startupWmClass;
}

bool hasIdIgnoringCase(GDesktopAppInfo* entry, const std::string& name) {
    return g_ascii_strcasecmp(entryId(entry).c_str(), name.c_str()) == 0;
}

DesktopEntryPtr entryMatchingWindowClass(const WindowFacts& facts) {
    const std::string* wmClass = windowClass(facts);
    const std::string* instance = nonEmpty(facts.wmClassInstance);
    if (wmClass == nullptr && instance == nullptr) {
        return nullptr;
    }
    // Every entry is loaded from disk here; callers cache what it gives.
    GObjectList entries(g_app_info_get_all());
    if (wmClass != nullptr) {
        if (auto entry = findEntry(entries.get(), [&](GDesktopAppInfo* e) {
                return hasStartupWmClass(e, *wmClass);
            })) {
            return entry;
        }
    }
    for (const std::string* name : {wmClass, instance}) {
        if (name == nullptr) {
            continue;
        }
        if (auto entry = findEntry(
                entries.get(), [&](GDesktopAppInfo* e) { return hasIdIgnoringCase(e, *name); })) {
            return entry;
        }
    }
    return nullptr;
}

bool runSameProgram(GDesktopAppInfo* one, GDesktopAppInfo* other) {
    const char* program = g_app_info_get_executable(G_APP_INFO(one));
    const char* otherProgram = g_app_info_get_executable(G_APP_INFO(other));
    return program != nullptr && otherProgram != nullptr &&
           std::string_view(program) == otherProgram;
}

// Applications install hidden helper entries beside their main one: Electron editors register
// "<main>-url-handler" for their URL scheme, and on Wayland their windows carry that helper's ID
// as app ID. Users know such an application by its visible entry, so a hidden entry stands for
// the visible entry whose ID it extends by "-suffix" (the longest such ID first), as long as both
// run the same program; that check keeps an unrelated entry that merely shares a prefix out.
DesktopEntryPtr visibleEntryFor(DesktopEntryPtr entry) {
    if (!g_desktop_app_info_get_nodisplay(entry.get())) {
        return entry;
    }
    const std::string id = entryId(entry.get());
    for (auto dash = id.rfind('-'); dash != std::string::npos && dash > 0;
         dash = id.rfind('-', dash - 1)) {
        auto main = entryWithId(id.substr(0, dash));
        if (main && !g_desktop_app_info_get_nodisplay(main.get()) &&
            runSameProgram(main.get(), entry.get())) {
            return main;
        }
    }
    return entry;
}

}  // namespace

RunningApplication identifyApplication(const WindowFacts& facts) {
    auto entry = entryNamedDirectly(facts);
    if (!entry) {
        entry = entryMatchingWindowClass(facts);
    }
    if (entry) {
        return describe(visibleEntryFor(std::move(entry)).get());
    }
    if (const std::string* id = windowClass(facts)) {
        const std::string* reportedName = nonEmpty(facts.applicationName);
        return {*id, reportedName != nullptr ? *reportedName : *id};
    }
    return {};
}

std::string withoutDesktopSuffix(std::string_view desktopId) {
    if (desktopId.ends_with(desktopSuffix)) {
        desktopId.remove_suffix(desktopSuffix.size());
    }
    return std::string(desktopId);
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
