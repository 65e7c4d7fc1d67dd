#include <csignal>
#include <iostream>
#include <memory>
#include <string>

#include "app/AppDelegate.hpp"
#include "app/Companion.hpp"
#include "platform/linux/GDBusNotifier.hpp"
#include "platform/linux/GLibMainLoop.hpp"
#include "platform/linux/GioOpener.hpp"
#include "platform/linux/GioRulesFolderWatch.hpp"
#include "platform/linux/GtkDialogs.hpp"
#include "platform/linux/GtkStartup.hpp"
#include "platform/linux/TrayStatusItem.hpp"
#include "platform/linux/UdevRegistry.hpp"
#include "platform/linux/WorkspaceFactory.hpp"

namespace dorvane {
namespace {

// Without GTK there is no tray icon, but the pad still follows the frontmost application.
std::unique_ptr<StatusItem> makeStatusItem() {
    if (startGtk()) {
        return std::make_unique<TrayStatusItem>();
    }
    std::cerr << "dorvane: GTK cannot start; running without a tray icon\n";
    return std::make_unique<NullStatusItem>();
}

}  // namespace

int runCompanion() {
    GLibMainLoop mainLoop;
    int exitCode = 0;
    // Set once the controller exists; the workspace reports a loss only from the running loop.
    AppDelegate* running = nullptr;
    const auto chosen = openWorkspace(std::cerr, [&](const std::string& reason) {
        std::cerr << "dorvane: " << reason << '\n';
        exitCode = 1;
        running->quit();
    });
    if (!chosen.workspace) {
        return 1;
    }
    UdevRegistry registry;
    const auto statusItem = makeStatusItem();
    GioOpener opener;
    GtkDialogs dialogs;
    GioRulesFolderWatch rulesWatch;
    GDBusNotifier notifier;
    AppDelegate delegate(
        registry, LayerMap::shared(),
        {*chosen.workspace, *statusItem, mainLoop, opener, dialogs, rulesWatch, notifier});
    running = &delegate;
    if (chosen.notice) {
        notifier.notify(*chosen.notice);
    }
    mainLoop.onSignals({SIGINT, SIGTERM}, [&delegate] { delegate.quit(); });
    delegate.applicationDidFinishLaunching();
    mainLoop.run();
    return exitCode;
}

}  // namespace dorvane
