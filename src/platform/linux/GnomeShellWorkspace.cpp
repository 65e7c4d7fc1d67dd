#include "platform/linux/GnomeShellWorkspace.hpp"

#include <gio/gio.h>

#include <utility>

#include "platform/linux/GLibHandles.hpp"
#include "platform/linux/GnomeExtensionVariants.hpp"
#include "platform/linux/ReportedWorkspace.hpp"

namespace dorvane {
namespace {

constexpr const char* shellName = "org.gnome.Shell";
// GNOME Shell's ExtensionState.ENABLED: loaded and running.
constexpr double activeState = 1;
constexpr int answerTimeoutMilliseconds = 5000;
// The extension reports within milliseconds of the companion's name appearing.
constexpr std::chrono::seconds firstReportTimeout(1);

struct GVariantUnref {
    void operator()(GVariant* variant) const { g_variant_unref(variant); }
};
using GVariantPtr = std::unique_ptr<GVariant, GVariantUnref>;

// False only when GNOME Shell answers that the extension is not running: not installed, not
// enabled, or refused. A shell that does not answer gets the benefit of the doubt.
bool extensionMayRun() {
    GObjectPtr<GDBusConnection> bus(g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr));
    if (!bus) {
        return true;
    }
    const std::string uuid(gnomeExtensionUuid);
    GVariantPtr reply(g_dbus_connection_call_sync(
        bus.get(), shellName, "/org/gnome/Shell", "org.gnome.Shell.Extensions", "GetExtensionInfo",
        g_variant_new("(s)", uuid.c_str()), G_VARIANT_TYPE("(a{sv})"),
        G_DBUS_CALL_FLAGS_NO_AUTO_START, answerTimeoutMilliseconds, nullptr, nullptr));
    if (!reply) {
        return true;
    }
    GVariantPtr info(g_variant_get_child_value(reply.get(), 0));
    double state = 0;
    return g_variant_lookup(info.get(), "state", "d", &state) && state == activeState;
}

Notification extensionMissing() {
    return {"Dorvane cannot see the application in front",
            "GNOME Shell needs the Dorvane extension to tell which application is in front: run "
            "\"dorvane gnome-extension install\", then log out and back in."};
}

}  // namespace

BackendStart GnomeShellWorkspace::open(LossHandler onLost) {
    std::string failure;
    auto workspace = ReportedWorkspace::open(shellName, std::move(onLost), failure);
    if (!workspace) {
        return {nullptr, failure};
    }
    if (!extensionMayRun()) {
        return {std::move(workspace), {}, extensionMissing()};
    }
    workspace->awaitFirstReport(firstReportTimeout);
    return {std::move(workspace), {}};
}

}  // namespace dorvane
