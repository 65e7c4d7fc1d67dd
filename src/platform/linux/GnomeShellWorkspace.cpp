#include "platform/linux/GnomeShellWorkspace.hpp"

#include <gio/gio.h>

#include <utility>

#include "platform/linux/GLibHandles.hpp"
#include "platform/linux/GnomeExtensionVariants.hpp"
#include "platform/linux/ReportedWorkspace.hpp"
#include "platform/linux/SessionBus.hpp"

namespace dorvane {
namespace {

constexpr const char* shellName = "org.gnome.Shell";
// GNOME Shell's ExtensionState.ENABLED: loaded and running.
constexpr double activeState = 1;
// The extension reports within milliseconds of the companion's name appearing.
constexpr std::chrono::seconds firstReportTimeout(1);

// False only when GNOME Shell answers that the extension is not running: not installed, not
// enabled, or refused. A shell that does not answer gets the benefit of the doubt.
bool extensionMayRun() {
    std::string ignored;
    const auto bus = connectToSessionBus(ignored);
    if (!bus) {
        return true;
    }
    const std::string uuid(gnomeExtensionUuid);
    const auto reply =
        callMethod(bus.get(), shellName, "/org/gnome/Shell", "org.gnome.Shell.Extensions",
                   "GetExtensionInfo", g_variant_new("(s)", uuid.c_str()), "(a{sv})");
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

BackendStart GnomeShellWorkspace::open(WorkspaceLossHandler onLost) {
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
