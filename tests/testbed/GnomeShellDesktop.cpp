#include "testbed/GnomeShellDesktop.hpp"

#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <stdexcept>
#include <utility>

#include "support/Eventually.hpp"
#include "testbed/DBusSession.hpp"
#include "testbed/GtkWindow.hpp"

namespace dorvane::test {
namespace {

using namespace std::chrono_literals;

constexpr auto startTimeout = 20s;
constexpr auto stopTimeout = 5s;

constexpr const char* waylandName = "wayland-gnome";

// The shell asks the system bus for logind, UPower and others at start; without a bus it waits
// for each, then fails. An empty bus that lets anyone own anything answers at once.
std::string systemBusConfiguration(const std::filesystem::path& socket) {
    return "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-BUS Bus Configuration 1.0//EN\"\n"
           " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
           "<busconfig>\n"
           "  <type>system</type>\n"
           "  <listen>unix:path=" +
           socket.string() +
           "</listen>\n"
           "  <auth>EXTERNAL</auth>\n"
           "  <policy context=\"default\">\n"
           "    <allow send_destination=\"*\"/>\n"
           "    <allow receive_sender=\"*\"/>\n"
           "    <allow own=\"*\"/>\n"
           "  </policy>\n"
           "</busconfig>\n";
}

std::string windowsOf(const std::string& appId) {
    return "global.get_window_actors().map(a => a.meta_window).filter(w => w.get_wm_class() === '" +
           appId + "')";
}

std::string activation(const std::string& appId) {
    return windowsOf(appId) + ".forEach(w => w.activate(global.get_current_time()))";
}

GVariant* evalCall(const std::string& code) {
    return g_variant_new("(s)", code.c_str());
}

}  // namespace

bool GnomeShellDesktop::available() {
    return getuid() == 0 &&
           runCommand({"sh", "-c", "command -v gnome-shell unshare dbus-daemon"}).exitCode == 0 &&
           canOpenGtkWindows();
}

GnomeShellDesktop::GnomeShellDesktop(const std::string& sessionBus,
                                     const std::map<std::string, std::string>& home) {
    std::filesystem::permissions(folder_.path(), std::filesystem::perms::owner_all);
    startSystemBus();
    auto environment = home;
    environment["DBUS_SESSION_BUS_ADDRESS"] = sessionBus;
    startShell(environment);
    connection_ = connectToBus(sessionBus);
    // The name comes before the shell has finished starting; an answer to Eval after.
    if (!eventually(
            [&] {
                try {
                    return eval("global.display !== null") == "true";
                } catch (const std::runtime_error&) {
                    return false;
                }
            },
            startTimeout)) {
        throw std::runtime_error("GNOME Shell did not start: see " +
                                 (folder_ / "shell.log").string());
    }
}

GnomeShellDesktop::~GnomeShellDesktop() {
    clients_.clear();
    if (connection_ != nullptr) {
        g_dbus_connection_close_sync(connection_, nullptr, nullptr);
        g_object_unref(connection_);
    }
    if (shell_ && !shell_->waitFor(0ms)) {
        shell_->signal(SIGTERM);
        shell_->waitFor(stopTimeout);
    }
}

void GnomeShellDesktop::startSystemBus() {
    const auto socket = folder_ / "system-bus";
    writeFile(folder_ / "system-bus.conf", systemBusConfiguration(socket));
    systemBus_ = std::make_unique<ChildProcess>(std::vector<std::string>{
        "dbus-daemon", "--config-file=" + (folder_ / "system-bus.conf").string(), "--nofork",
        "--nopidfile"});
    if (!eventually([&] { return std::filesystem::exists(socket); }, startTimeout)) {
        throw std::runtime_error("the private system bus did not start");
    }
}

void GnomeShellDesktop::startShell(const std::map<std::string, std::string>& home) {
    auto environment = home;
    environment["XDG_RUNTIME_DIR"] = folder_.path();
    environment["DBUS_SYSTEM_BUS_ADDRESS"] = "unix:path=" + (folder_ / "system-bus").string();
    // The shell's own data (settings schemas, icons) besides the home's.
    environment["XDG_DATA_DIRS"] = "/usr/local/share:/usr/share";
    const std::string hideSeats =
        "unset DISPLAY WAYLAND_DISPLAY; [ ! -d /run/systemd ] || mount -t tmpfs tmpfs "
        "/run/systemd; exec \"$@\" >\"$0/shell.log\" 2>&1";
    shell_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{"unshare", "--mount", "--propagation", "private", "sh", "-c",
                                 hideSeats, folder_.path(), "gnome-shell", "--headless",
                                 "--virtual-monitor", "1280x720", "--wayland", "--no-x11",
                                 "--wayland-display", waylandName, "--unsafe-mode"},
        environment);
}

std::map<std::string, std::string> GnomeShellDesktop::environment() const {
    return {{"WAYLAND_DISPLAY", folder_ / waylandName}, {"DISPLAY", ""}};
}

void GnomeShellDesktop::startClient(const std::string& appId) {
    auto environment = this->environment();
    // GTK will not use Wayland without a runtime folder.
    environment["XDG_RUNTIME_DIR"] = folder_.path();
    clients_.push_back(openGtkWindow(appId, std::move(environment)));
    if (!eventually([&] { return eval(windowsOf(appId) + ".length") == "1"; }, startTimeout)) {
        throw std::runtime_error("no window of " + appId + " appeared");
    }
}

// A window that has just appeared may not take the focus yet: asked again until it has.
void GnomeShellDesktop::activate(const std::string& appId) {
    const std::string focused = activation(appId) + "; global.display.focus_window?.get_wm_class()";
    if (!eventually([&] { return eval(focused) == "\"" + appId + "\""; }, startTimeout)) {
        throw std::runtime_error("the window of " + appId + " does not take the focus");
    }
}

void GnomeShellDesktop::requestActivation(const std::string& appId) {
    GDBusMessage* message = g_dbus_message_new_method_call("org.gnome.Shell", "/org/gnome/Shell",
                                                           "org.gnome.Shell", "Eval");
    g_dbus_message_set_body(message, evalCall(activation(appId)));
    g_dbus_message_set_flags(message, G_DBUS_MESSAGE_FLAGS_NO_REPLY_EXPECTED);
    const bool sent = g_dbus_connection_send_message(
        connection_, message, G_DBUS_SEND_MESSAGE_FLAGS_NONE, nullptr, nullptr);
    g_object_unref(message);
    if (!sent) {
        throw std::runtime_error("cannot send an activation to GNOME Shell");
    }
}

GnomeShellDesktop::ExtensionInfo GnomeShellDesktop::extensionInfo(const std::string& uuid) {
    GVariant* reply = g_dbus_connection_call_sync(
        connection_, "org.gnome.Shell", "/org/gnome/Shell", "org.gnome.Shell.Extensions",
        "GetExtensionInfo", g_variant_new("(s)", uuid.c_str()), G_VARIANT_TYPE("(a{sv})"),
        G_DBUS_CALL_FLAGS_NONE, -1, nullptr, nullptr);
    ExtensionInfo info;
    if (reply != nullptr) {
        GVariant* dictionary = g_variant_get_child_value(reply, 0);
        g_variant_lookup(dictionary, "state", "d", &info.state);
        const gchar* error = nullptr;
        if (g_variant_lookup(dictionary, "error", "&s", &error)) {
            info.error = error;
        }
        g_variant_unref(dictionary);
        g_variant_unref(reply);
    }
    return info;
}

void GnomeShellDesktop::enableExtension(const std::string& uuid) {
    GVariant* reply = g_dbus_connection_call_sync(
        connection_, "org.gnome.Shell", "/org/gnome/Shell", "org.gnome.Shell.Extensions",
        "EnableExtension", g_variant_new("(s)", uuid.c_str()), G_VARIANT_TYPE("(b)"),
        G_DBUS_CALL_FLAGS_NONE, -1, nullptr, nullptr);
    gboolean enabled = FALSE;
    if (reply != nullptr) {
        g_variant_get(reply, "(b)", &enabled);
        g_variant_unref(reply);
    }
    if (!enabled) {
        throw std::runtime_error("GNOME Shell did not enable " + uuid);
    }
}

std::string GnomeShellDesktop::version() {
    GVariant* reply = g_dbus_connection_call_sync(
        connection_, "org.gnome.Shell", "/org/gnome/Shell", "org.freedesktop.DBus.Properties",
        "Get", g_variant_new("(ss)", "org.gnome.Shell", "ShellVersion"), G_VARIANT_TYPE("(v)"),
        G_DBUS_CALL_FLAGS_NONE, -1, nullptr, nullptr);
    if (reply == nullptr) {
        throw std::runtime_error("GNOME Shell does not tell its version");
    }
    GVariant* value = nullptr;
    g_variant_get(reply, "(v)", &value);
    const std::string version = g_variant_get_string(value, nullptr);
    g_variant_unref(value);
    g_variant_unref(reply);
    return version;
}

std::string GnomeShellDesktop::eval(const std::string& code) {
    GError* error = nullptr;
    GVariant* reply = g_dbus_connection_call_sync(
        connection_, "org.gnome.Shell", "/org/gnome/Shell", "org.gnome.Shell", "Eval",
        evalCall(code), G_VARIANT_TYPE("(bs)"), G_DBUS_CALL_FLAGS_NONE, -1, nullptr, &error);
    if (reply == nullptr) {
        const std::string message = error->message;
        g_error_free(error);
        throw std::runtime_error("GNOME Shell's Eval failed: " + message);
    }
    gboolean succeeded = FALSE;
    const gchar* result = nullptr;
    g_variant_get(reply, "(b&s)", &succeeded, &result);
    const std::string printed = result;
    g_variant_unref(reply);
    if (!succeeded) {
        throw std::runtime_error("GNOME Shell refused " + code + ": " + printed);
    }
    return printed;
}

}  // namespace dorvane::test
