#include <iostream>
#include <memory>
#include <string>

#include "app/AppDelegate.hpp"
#include "app/Companion.hpp"
#include "platform/linux/WorkspaceFactory.hpp"
#include "platform/linux/desktop/GDBusNotifier.hpp"
#include "platform/linux/desktop/GioOpener.hpp"
#include "platform/linux/desktop/GioRulesFolderWatch.hpp"
#include "platform/linux/desktop/GtkDialogs.hpp"
#include "platform/linux/desktop/GtkStartup.hpp"
#include "platform/linux/desktop/TrayStatusItem.hpp"
#include "platform/linux/device/UdevRegistry.hpp"
#include "platform/linux/glib/GLibMainLoop.hpp"
#include "platform/linux/status/StatusEndpoint.hpp"

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

// Where a quit goes: to the loop until the controller exists, which then never runs; to the
// controller from then on, so that it ends in order. Right at every moment of the start-up, so
// that neither a signal nor a loss depends on when it comes.
class QuitRoute {
public:
    explicit QuitRoute(GLibMainLoop& mainLoop) : mainLoop_(mainLoop) {}

    void toController(AppDelegate& delegate) { delegate_ = &delegate; }

    void quit() {
        if (delegate_ != nullptr) {
            delegate_->quit();
        } else {
            mainLoop_.terminate();
        }
    }

private:
    GLibMainLoop& mainLoop_;
    AppDelegate* delegate_ = nullptr;
};

}  // namespace

int runCompanion() {
    GLibMainLoop mainLoop;
    int exitCode = 0;
    QuitRoute quitRoute(mainLoop);
    // Before the workspace opens: a signal while it starts (KWin's script is loaded then) must
    // still let it unload what it loaded.
    mainLoop.onQuitSignals([&] { quitRoute.quit(); });
    const auto chosen = openWorkspace(std::cerr, [&](const std::string& reason) {
        std::cerr << "dorvane: " << reason << '\n';
        exitCode = 1;
        quitRoute.quit();
    });
    if (mainLoop.terminated()) {
        return exitCode;
    }
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
    quitRoute.toController(delegate);
    // After the workspace, whose focus reports may own the companion's name already.
    std::string statusFailure;
    const auto status = StatusEndpoint::open(statusFailure);
    if (status) {
        delegate.observeStatus(chosen.backend,
                               [&status](const CompanionStatus& now) { status->update(now); });
    } else {
        std::cerr << "dorvane: no status on the session bus: " << statusFailure << '\n';
    }
    if (chosen.notice) {
        notifier.notify(*chosen.notice);
    }
    delegate.applicationDidFinishLaunching();
    mainLoop.run();
    return exitCode;
}

}  // namespace dorvane
