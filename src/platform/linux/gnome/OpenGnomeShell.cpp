#include "platform/linux/gnome/OpenGnomeShell.hpp"

#include <gio/gio.h>

#include <optional>
#include <string>
#include <utility>

#include "platform/linux/glib/GLibHandles.hpp"
#include "platform/linux/glib/SessionBus.hpp"
#include "platform/linux/gnome/GnomeExtensionState.hpp"
#include "platform/linux/gnome/GnomeExtensionVariants.hpp"
#include "platform/linux/workspace/ReportedWorkspace.hpp"

namespace dorvane {
namespace {

constexpr const char* shellName = "org.gnome.Shell";
constexpr const char* shellPath = "/org/gnome/Shell";
constexpr const char* extensionsInterface = "org.gnome.Shell.Extensions";
// The extension reports within milliseconds of the companion's name appearing.
constexpr ReportingCompositor gnomeShell{shellName, std::chrono::seconds{1}};
// At login the shell loads its extensions shortly after it appears on the bus.
constexpr std::chrono::seconds settleTimeout(1);

GnomeExtensionInfo infoOf(GVariant* dictionary) {
    GnomeExtensionInfo info;
    double state = 0;
    if (g_variant_lookup(dictionary, "state", "d", &state)) {
        info.state = static_cast<int>(state);
    }
    gboolean enabled = FALSE;
    if (g_variant_lookup(dictionary, "enabled", "b", &enabled)) {
        info.enabled = enabled != FALSE;
    }
    const gchar* error = nullptr;
    if (g_variant_lookup(dictionary, "error", "&s", &error)) {
        info.error = error;
    }
    return info;
}

// GNOME Shell's word on the extension: asked once, then kept up to date from
// ExtensionStateChanged while this lives.
class ExtensionStateWatch {
public:
    explicit ExtensionStateWatch(GDBusConnection* bus) : bus_(bus) {
        // Subscribed before asking, so that a change in between is not missed.
        subscription_ = g_dbus_connection_signal_subscribe(
            bus_, shellName, extensionsInterface, "ExtensionStateChanged", shellPath, uuid_.c_str(),
            G_DBUS_SIGNAL_FLAGS_NONE, onStateChanged, this, nullptr);
        const auto reply =
            callMethod(bus_, shellName, shellPath, extensionsInterface, "GetExtensionInfo",
                       g_variant_new("(s)", uuid_.c_str()), "(a{sv})");
        if (reply) {
            const GVariantPtr dictionary(g_variant_get_child_value(reply.get(), 0));
            info_ = infoOf(dictionary.get());
        }
    }

    ~ExtensionStateWatch() { g_dbus_connection_signal_unsubscribe(bus_, subscription_); }
    ExtensionStateWatch(const ExtensionStateWatch&) = delete;
    ExtensionStateWatch& operator=(const ExtensionStateWatch&) = delete;

    // None when GNOME Shell did not answer.
    const std::optional<GnomeExtensionInfo>& info() const { return info_; }

    // Runs the default main context while the shell may still change the state of its own
    // accord, for at most `timeout`.
    void awaitSettled(std::chrono::milliseconds timeout) {
        const GSourcePtr deadline(g_timeout_source_new(static_cast<guint>(timeout.count())));
        g_source_set_callback(
            deadline.get(), [](gpointer) { return G_SOURCE_REMOVE; }, nullptr, nullptr);
        g_source_attach(deadline.get(), nullptr);
        while (info_ && mayStillChange(*info_) && !g_source_is_destroyed(deadline.get())) {
            g_main_context_iteration(nullptr, TRUE);
        }
    }

private:
    static void onStateChanged(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                               const gchar*, GVariant* parameters, gpointer self) {
        if (!g_variant_is_of_type(parameters, G_VARIANT_TYPE("(sa{sv})"))) {
            return;
        }
        const GVariantPtr dictionary(g_variant_get_child_value(parameters, 1));
        static_cast<ExtensionStateWatch*>(self)->info_ = infoOf(dictionary.get());
    }

    GDBusConnection* bus_;
    const std::string uuid_{gnomeExtensionUuid};
    guint subscription_ = 0;
    std::optional<GnomeExtensionInfo> info_;
};

// "51.0"; empty when the shell does not say.
std::string shellVersion(GDBusConnection* bus) {
    const auto reply = callMethod(bus, shellName, shellPath, "org.freedesktop.DBus.Properties",
                                  "Get", g_variant_new("(ss)", shellName, "ShellVersion"), "(v)");
    if (!reply) {
        return {};
    }
    GVariant* raw = nullptr;
    g_variant_get(reply.get(), "(v)", &raw);
    const GVariantPtr value(raw);
    return g_variant_is_of_type(value.get(), G_VARIANT_TYPE_STRING)
               ? g_variant_get_string(value.get(), nullptr)
               : "";
}

// What the user must do before the extension can report; none while it runs, and when GNOME Shell
// does not answer, which gets the benefit of the doubt.
std::optional<Notification> extensionProblem() {
    std::string ignored;
    const auto bus = connectToSessionBus(ignored);
    if (!bus) {
        return std::nullopt;
    }
    ExtensionStateWatch watch(bus.get());
    watch.awaitSettled(settleTimeout);
    if (!watch.info()) {
        return std::nullopt;
    }
    return extensionNotice(*watch.info(), shellVersion(bus.get()));
}

}  // namespace

BackendStart openGnomeShell(WorkspaceLossHandler onLost) {
    std::string failure;
    auto workspace = ReportedWorkspace::open(gnomeShell, std::move(onLost), failure);
    if (!workspace) {
        return {nullptr, failure};
    }
    if (auto problem = extensionProblem()) {
        return {std::move(workspace), {}, std::move(problem)};
    }
    workspace->awaitFirstReport();
    return {std::move(workspace), {}};
}

}  // namespace dorvane
