#include "platform/linux/kwin/KWinScript.hpp"

#include <unistd.h>

#include <array>
#include <chrono>
#include <optional>
#include <set>
#include <string_view>
#include <utility>

#include "platform/linux/glib/SessionBus.hpp"
#include "platform/linux/kwin/KWinBusName.hpp"

namespace dorvane {

// The script's text, from data/kwin/dorvane-focus.js: carried in the binary, so that the
// companion needs no data file to find.
extern const std::string_view kwinFocusScript;

namespace {

constexpr const char* scriptingPath = "/Scripting";
constexpr const char* scriptingInterface = "org.kde.kwin.Scripting";
constexpr const char* scriptInterface = "org.kde.kwin.Script";

// A quit waits no longer for a KWin that hangs: the request is on its way all the same, and one
// left unanswered is carried out should KWin wake, or replaced at the next start.
constexpr std::chrono::milliseconds unloadAtQuitTimeout{250};

GVariantPtr callKWin(GDBusConnection* bus, const std::string& path, const char* interface,
                     const char* method, GVariant* parameters, const char* replyType,
                     std::string* error = nullptr,
                     std::chrono::milliseconds timeout = answerTimeout) {
    return callMethod(bus, kwinBusName, path.c_str(), interface, method, parameters, replyType,
                      error, timeout);
}

int loadScript(GDBusConnection* bus, const std::filesystem::path& file, std::string& error) {
    const auto reply =
        callKWin(bus, scriptingPath, scriptingInterface, "loadScript",
                 g_variant_new("(ss)", file.c_str(), KWinScript::pluginName), "(i)", &error);
    gint32 id = -1;
    if (reply) {
        g_variant_get(reply.get(), "(i)", &id);
    }
    return id;
}

void unloadScript(GDBusConnection* bus, std::chrono::milliseconds timeout = answerTimeout) {
    callKWin(bus, scriptingPath, scriptingInterface, "unloadScript",
             g_variant_new("(s)", KWinScript::pluginName), "(b)", nullptr, timeout);
}

GDBusNodeInfoPtr introspect(GDBusConnection* bus, const std::string& path) {
    const auto reply =
        callKWin(bus, path, "org.freedesktop.DBus.Introspectable", "Introspect", nullptr, "(s)");
    if (!reply) {
        return nullptr;
    }
    const gchar* xml = nullptr;
    g_variant_get(reply.get(), "(&s)", &xml);
    return GDBusNodeInfoPtr(g_dbus_node_info_new_for_xml(xml, nullptr));
}

bool offersScriptInterface(GDBusConnection* bus, const std::string& path) {
    const auto node = introspect(bus, path);
    return node && g_dbus_node_info_lookup_interface(node.get(), scriptInterface) != nullptr;
}

// Plasma 6 puts a loaded script under /Scripting, 5.27 at the root; KWin is asked which it did.
std::optional<std::string> scriptObject(GDBusConnection* bus, int id) {
    const std::array candidates = {std::string(scriptingPath) + "/Script" + std::to_string(id),
                                   "/" + std::to_string(id)};
    for (const auto& path : candidates) {
        if (offersScriptInterface(bus, path)) {
            return path;
        }
    }
    return std::nullopt;
}

// Every object KWin has where either version puts a script's.
std::set<std::string> objectsWhereScriptsGo(GDBusConnection* bus) {
    std::set<std::string> paths;
    for (const std::string parent : {"/", scriptingPath}) {
        const auto node = introspect(bus, parent);
        if (!node) {
            continue;
        }
        const std::string prefix = parent == "/" ? parent : parent + "/";
        for (GDBusNodeInfo** child = node->nodes; *child != nullptr; ++child) {
            paths.insert(prefix + (*child)->path);
        }
    }
    return paths;
}

// Replaced whole: KWin reads the file when the script runs, and must never see half of it. The
// runtime folder is the user's alone, and the file is readable by no one else.
bool writeScript(const std::filesystem::path& file, std::string& failure) {
    GError* raw = nullptr;
    const bool written = g_file_set_contents_full(file.c_str(), kwinFocusScript.data(),
                                                  static_cast<gssize>(kwinFocusScript.size()),
                                                  G_FILE_SET_CONTENTS_CONSISTENT, 0600, &raw);
    GErrorPtr error(raw);
    if (!written) {
        failure = std::string("cannot write KWin's script: ") + error->message;
    }
    return written;
}

}  // namespace

std::unique_ptr<KWinScript> KWinScript::load(std::string& failure) {
    auto bus = connectToSessionBus(failure);
    if (!bus) {
        return nullptr;
    }
    // One name for every run: the file of a run that crashed is replaced, not left beside.
    auto file = std::filesystem::path(g_get_user_runtime_dir()) / "dorvane-focus.js";
    if (!writeScript(file, failure)) {
        return nullptr;
    }
    std::unique_ptr<KWinScript> script(new KWinScript(std::move(bus), std::move(file)));
    if (!script->loadIntoKWin(failure) || !script->run(failure)) {
        return nullptr;
    }
    return script;
}

KWinScript::KWinScript(GObjectPtr<GDBusConnection> bus, std::filesystem::path file)
    : bus_(std::move(bus)), file_(std::move(file)) {}

KWinScript::~KWinScript() {
    if (id_ >= 0) {
        unloadScript(bus_.get(), unloadAtQuitTimeout);
    }
    ::unlink(file_.c_str());
}

// KWin refuses a second script of the same name: one left loaded by a run that crashed is
// unloaded first, so that there is never more than one.
bool KWinScript::loadIntoKWin(std::string& failure) {
    std::string error;
    auto objectsBefore = objectsWhereScriptsGo(bus_.get());
    id_ = loadScript(bus_.get(), file_, error);
    if (id_ < 0 && error.empty()) {
        unloadScript(bus_.get());
        objectsBefore = objectsWhereScriptsGo(bus_.get());
        id_ = loadScript(bus_.get(), file_, error);
    }
    if (id_ < 0) {
        failure = "KWin did not load its script" + (error.empty() ? "" : ": " + error);
        return false;
    }
    return findOwnObject(objectsBefore, failure);
}

// KWin numbers a script by how many are loaded, so a number freed by an earlier script's unload
// comes again while a later script still has it. KWin then makes no object for this script, and
// the object under its number is that other script's, which must never be run in its place.
bool KWinScript::findOwnObject(const std::set<std::string>& objectsBefore, std::string& failure) {
    const auto path = scriptObject(bus_.get(), id_);
    if (!path) {
        failure = "KWin offers no object to run its script " + std::to_string(id_);
        return false;
    }
    if (objectsBefore.contains(*path)) {
        failure = "KWin filed its script under number " + std::to_string(id_) +
                  ", which another loaded script already has, so it cannot be run; log out and "
                  "in to restart KWin";
        return false;
    }
    object_ = *path;
    return true;
}

bool KWinScript::run(std::string& failure) {
    std::string error;
    if (!callKWin(bus_.get(), object_, scriptInterface, "run", nullptr, "()", &error)) {
        failure = "KWin did not run its script: " + error;
        return false;
    }
    return true;
}

}  // namespace dorvane
