#include <gtk/gtk.h>

#include <csignal>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string_view>

#include "app/AppDelegate.hpp"
#include "app/Companion.hpp"
#include "platform/linux/GDBusNotifier.hpp"
#include "platform/linux/GLibMainLoop.hpp"
#include "platform/linux/GioOpener.hpp"
#include "platform/linux/GioRulesFolderWatch.hpp"
#include "platform/linux/GtkDialogs.hpp"
#include "platform/linux/TrayStatusItem.hpp"
#include "platform/linux/UdevRegistry.hpp"
#include "platform/linux/X11Workspace.hpp"

namespace dorvane {
namespace {

bool isSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

// X11 sees only the XWayland windows of a Wayland session; native ones would go unnoticed.
bool isWaylandSession() {
    const char* type = std::getenv("XDG_SESSION_TYPE");
    return isSet("WAYLAND_DISPLAY") || (type != nullptr && std::string_view(type) == "wayland");
}

// Without GTK there is no tray icon, but the pad still follows the frontmost application.
std::unique_ptr<StatusItem> makeStatusItem() {
    if (gtk_init_check(nullptr, nullptr)) {
        return std::make_unique<TrayStatusItem>();
    }
    std::cerr << "dorvane: GTK cannot start; running without a tray icon\n";
    return std::make_unique<NullStatusItem>();
}

}  // namespace

int runCompanion() {
    if (!isSet("DISPLAY")) {
        std::cerr << "dorvane: no X11 display; Wayland sessions are not supported yet\n";
        return 1;
    }
    if (isWaylandSession()) {
        std::cerr << "dorvane: this is a Wayland session; only applications running under "
                     "XWayland can be followed\n";
    }
    const auto workspace = X11Workspace::open();
    if (!workspace) {
        std::cerr << "dorvane: cannot open the X11 display " << std::getenv("DISPLAY") << '\n';
        return 1;
    }
    UdevRegistry registry;
    const auto statusItem = makeStatusItem();
    GLibMainLoop mainLoop;
    GioOpener opener;
    GtkDialogs dialogs;
    GioRulesFolderWatch rulesWatch;
    GDBusNotifier notifier;
    AppDelegate delegate(
        registry, LayerMap::shared(),
        {*workspace, *statusItem, mainLoop, opener, dialogs, rulesWatch, notifier});
    mainLoop.onSignals({SIGINT, SIGTERM}, [&delegate] { delegate.quit(); });
    delegate.applicationDidFinishLaunching();
    mainLoop.run();
    return 0;
}

}  // namespace dorvane
