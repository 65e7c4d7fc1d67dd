#include "testbed/KWinDesktop.hpp"

#include <signal.h>

#include <algorithm>
#include <filesystem>
#include <stdexcept>

#include "platform/linux/glib/GLibHandles.hpp"
#include "support/Eventually.hpp"
#include "testbed/GtkWindow.hpp"

namespace dorvane::test {
namespace {

using namespace std::chrono_literals;

constexpr auto startTimeout = 20s;  // KWin's first start renders with llvmpipe
constexpr auto stopTimeout = 5s;
constexpr const char* kwinName = "org.kde.KWin";
constexpr const char* scriptingInterface = "org.kde.kwin.Scripting";

GVariantPtr call(GDBusConnection* connection, const std::string& path, const char* interface,
                 const char* method, GVariant* parameters, const char* replyType) {
    GError* error = nullptr;
    GVariantPtr reply(g_dbus_connection_call_sync(connection, kwinName, path.c_str(), interface,
                                                  method, parameters,
                                                  replyType ? G_VARIANT_TYPE(replyType) : nullptr,
                                                  G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, &error));
    if (error != nullptr) {
        g_error_free(error);
    }
    return reply;
}

// Finds the window by its title, which the test chose, and works on KWin 5.27 and Plasma 6 alike.
std::string activatorScript(const std::string& title) {
    return "const plasma6 = typeof workspace.windowList === 'function';\n"
           "const windows = plasma6 ? workspace.windowList() : workspace.clientList();\n"
           "for (const window of windows) {\n"
           "    if (window.caption === '" +
           title +
           "') {\n"
           "        if (plasma6) { workspace.activeWindow = window; }\n"
           "        else { workspace.activeClient = window; }\n"
           "    }\n"
           "}\n";
}

}  // namespace

bool KWinDesktop::available() {
    return runCommand({"sh", "-c", "command -v kwin_wayland"}).exitCode == 0 && canOpenGtkWindows();
}

KWinDesktop::KWinDesktop(const DBusSession& bus) : connection_(connectToBus(bus.address())) {
    start(bus);
}

KWinDesktop::~KWinDesktop() {
    clients_.clear();
    if (kwin_ && !kwin_->waitFor(0ms)) {
        kwin_->signal(SIGTERM);
        kwin_->waitFor(stopTimeout);
    }
}

void KWinDesktop::start(const DBusSession& bus) {
    // A copy leaves behind the file capability that containers may refuse to execute; Qt finds
    // its platform plugin by the program's name, so the name stays.
    const auto kwin = program_ / "kwin_wayland";
    const std::string installed = runCommand({"sh", "-c", "command -v kwin_wayland"}).out;
    std::filesystem::copy_file(installed.substr(0, installed.find('\n')), kwin);
    std::filesystem::permissions(runtime_.path(), std::filesystem::perms::owner_all);
    auto environment = bus.environment();
    environment.merge(std::map<std::string, std::string>{{"HOME", runtime_.path()},
                                                         {"XDG_RUNTIME_DIR", runtime_.path()},
                                                         {"WAYLAND_DISPLAY", ""},
                                                         {"DISPLAY", ""}});
    kwin_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{"sh", "-c", "exec \"$@\" >\"$0/kwin.log\" 2>&1", runtime_.path(),
                                 kwin, "--virtual", "--width", "1280", "--height", "800",
                                 "--no-lockscreen", "--socket", "wayland-kwin"},
        environment);
    const bool ready = eventually(
        [&] {
            return call(connection_.get(), "/Scripting", "org.freedesktop.DBus.Introspectable",
                        "Introspect", nullptr, "(s)") != nullptr;
        },
        startTimeout);
    if (!ready) {
        throw std::runtime_error("KWin did not start: see " + (runtime_ / "kwin.log").string());
    }
}

std::map<std::string, std::string> KWinDesktop::environment() const {
    return {{"WAYLAND_DISPLAY", runtime_ / "wayland-kwin"},
            {"XDG_RUNTIME_DIR", clientRuntime_.path()},
            {"DISPLAY", ""}};
}

void KWinDesktop::startClient(const std::string& appId) {
    clients_.push_back(openGtkWindow(appId, environment()));
    if (!eventually([&] { return lists(appId); }, startTimeout)) {
        throw std::runtime_error("no window of " + appId + " appeared");
    }
}

// KWin's window runner searches the windows by title; what it finds is listed. Its replies do
// not keep to the types its introspection announces, so only the title is read, by position.
bool KWinDesktop::lists(const std::string& title) const {
    const auto reply = call(connection_.get(), "/WindowsRunner", "org.kde.krunner1", "Match",
                            g_variant_new("(s)", title.c_str()), nullptr);
    if (!reply) {
        return false;
    }
    const GVariantPtr matches(g_variant_get_child_value(reply.get(), 0));
    for (gsize i = 0; i < g_variant_n_children(matches.get()); ++i) {
        const GVariantPtr match(g_variant_get_child_value(matches.get(), i));
        const GVariantPtr text(g_variant_get_child_value(match.get(), 1));
        if (title == g_variant_get_string(text.get(), nullptr)) {
            return true;
        }
    }
    return false;
}

void KWinDesktop::activate(const std::string& appId) {
    runScript(activatorScript(appId), "activates " + appId);
}

void KWinDesktop::deactivate() {
    runScript(
        "if (typeof workspace.windowList === 'function') { workspace.activeWindow = null; }\n"
        "else { workspace.activeClient = null; }\n",
        "deactivates every window");
}

void KWinDesktop::prepareActivation(const std::string& appId) {
    preparedScript_ = loadScript(activatorScript(appId), "activates " + appId);
}

void KWinDesktop::requestPreparedActivation() {
    g_dbus_connection_call(connection_.get(), kwinName, preparedScript_.c_str(),
                           "org.kde.kwin.Script", "run", nullptr, nullptr, G_DBUS_CALL_FLAGS_NONE,
                           -1, nullptr, nullptr, nullptr);
}

// 5.27 puts a script's object at /<id>, Plasma 6 at /Scripting/Script<id>.
std::string KWinDesktop::loadScript(const std::string& source, const std::string& purpose,
                                    const std::string& name) {
    unloadScript(name);
    const auto file = program_ / (name + ".js");
    writeFile(file, source);
    const auto loaded = call(connection_.get(), "/Scripting", scriptingInterface, "loadScript",
                             g_variant_new("(ss)", file.c_str(), name.c_str()), "(i)");
    gint32 id = -1;
    if (loaded) {
        g_variant_get(loaded.get(), "(i)", &id);
    }
    if (id < 0) {
        throw std::runtime_error("KWin did not load the script that " + purpose);
    }
    const auto scripting = childNodes("/Scripting");
    const std::string plasma6Name = "Script" + std::to_string(id);
    return std::find(scripting.begin(), scripting.end(), plasma6Name) != scripting.end()
               ? "/Scripting/" + plasma6Name
               : "/" + std::to_string(id);
}

void KWinDesktop::unloadScript(const std::string& name) {
    call(connection_.get(), "/Scripting", scriptingInterface, "unloadScript",
         g_variant_new("(s)", name.c_str()), "(b)");
}

void KWinDesktop::runScript(const std::string& source, const std::string& purpose) {
    const auto path = loadScript(source, purpose);
    const bool ran =
        call(connection_.get(), path, "org.kde.kwin.Script", "run", nullptr, "()") != nullptr;
    unloadScript();
    if (!ran) {
        throw std::runtime_error("KWin did not run the script that " + purpose);
    }
}

std::vector<std::string> KWinDesktop::childNodes(const std::string& path) const {
    std::vector<std::string> names;
    const auto reply = call(connection_.get(), path, "org.freedesktop.DBus.Introspectable",
                            "Introspect", nullptr, "(s)");
    if (!reply) {
        return names;
    }
    const gchar* xml = nullptr;
    g_variant_get(reply.get(), "(&s)", &xml);
    GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(xml, nullptr);
    for (GDBusNodeInfo** child = node->nodes; *child != nullptr; ++child) {
        names.emplace_back((*child)->path);
    }
    g_dbus_node_info_unref(node);
    return names;
}

void KWinDesktop::kill() {
    kwin_->signal(SIGKILL);
    kwin_->waitFor(stopTimeout);
}

void KWinDesktop::freeze() {
    kwin_->signal(SIGSTOP);
}

void KWinDesktop::thaw() {
    kwin_->signal(SIGCONT);
}

// KWin numbers a script by how many are loaded.
void KWinDesktop::freeScriptNumberBelowLoadedScript() {
    loadScript("// idle\n", "stays idle", "dorvane-test-first");
    loadScript("// idle\n", "stays idle", "dorvane-test-second");
    unloadScript("dorvane-test-first");
}

int KWinDesktop::loadedScripts() const {
    const auto root = childNodes("/");
    const auto scripting = childNodes("/Scripting");
    const auto count =
        std::count_if(root.begin(), root.end(),
                      [](const std::string& name) {
                          return !name.empty() &&
                                 name.find_first_not_of("0123456789") == std::string::npos;
                      }) +
        std::count_if(scripting.begin(), scripting.end(),
                      [](const std::string& name) { return name.starts_with("Script"); });
    return static_cast<int>(count);
}

bool KWinDesktop::isScriptLoaded(const std::string& pluginName) const {
    const auto reply = call(connection_.get(), "/Scripting", scriptingInterface, "isScriptLoaded",
                            g_variant_new("(s)", pluginName.c_str()), "(b)");
    gboolean loaded = FALSE;
    if (reply) {
        g_variant_get(reply.get(), "(b)", &loaded);
    }
    return loaded != FALSE;
}

}  // namespace dorvane::test
