#include "app/AppDelegate.hpp"

#include <filesystem>

#include "app/BrokenRulesNotice.hpp"
#include "link/PadProtocol.hpp"
#include "rules/RulesError.hpp"
#include "rules/RulesFile.hpp"

namespace dorvane {

AppDelegate::AppDelegate(DeviceRegistry& registry, LayerMap& layerMap, const Platform& platform)
    : registry_(registry), cdc_(registry), layerMap_(layerMap), platform_(platform) {}

void AppDelegate::applicationDidFinishLaunching() {
    platform_.statusItem.create([this](MenuAction action) { perform(action); });
    platform_.workspace.observeActivations(
        [this](const std::optional<RunningApplication>& app) { appActivated(app); });
    platform_.mainLoop.startRepeatingTimer([this] { tick(); });
    platform_.rulesWatch.start(layerMap_.fileURL(), [this] { rulesChanged(); });
    registry_.watchSerialDevices([this] { serialDevicesChanged(); });
    tick();
}

void AppDelegate::appActivated(const std::optional<RunningApplication>& app) {
    if (quitting_) {
        return;
    }
    considerFrontmost(app ? app : platform_.workspace.frontmostApplication());
}

void AppDelegate::togglePause() {
    paused_ = !paused_;
    if (paused_) {
        cdc_.closePort();
    }
    tick();
}

// A dialog runs a loop of its own, which would keep the process alive and the timer ticking
// until the user dismissed it.
void AppDelegate::quit() {
    quitting_ = true;
    cdc_.closePort();
    platform_.dialogs.dismiss();
    platform_.mainLoop.terminate();
}

void AppDelegate::perform(MenuAction action) {
    if (quitting_) {
        return;
    }
    switch (action) {
        case MenuAction::openConfigurator:
            openConfigurator();
            break;
        case MenuAction::togglePause:
            togglePause();
            break;
        case MenuAction::importAppRules:
            importAppRules();
            break;
        case MenuAction::editAppRules:
            editAppRules();
            break;
        case MenuAction::quit:
            quit();
            break;
        case MenuAction::none:
            break;
    }
}

// The port is released before the browser is asked, so the configurator finds it free.
void AppDelegate::openConfigurator() {
    paused_ = true;
    cdc_.closePort();
    rebuildMenu();
    platform_.opener.openURL(configuratorURL);
}

void AppDelegate::importAppRules() {
    if (choosingFile_) {
        return;
    }
    choosingFile_ = true;
    const auto chosen = platform_.dialogs.chooseFile("Import Dorvane app rules");
    choosingFile_ = false;
    if (!chosen || quitting_) {
        return;
    }
    try {
        layerMap_.importRules(*chosen);
    } catch (const FileError& error) {
        platform_.dialogs.showError(error.what());
        return;
    } catch (const RulesError& error) {
        platform_.dialogs.showError(error.what());
        return;
    }
    considerFrontmost(platform_.workspace.frontmostApplication());
}

// Whatever stands at the rules path, even an empty or broken file, is opened as it is.
void AppDelegate::editAppRules() {
    std::error_code unexaminable;
    if (!std::filesystem::exists(layerMap_.fileURL(), unexaminable)) {
        try {
            writeDefaultRules();
        } catch (const FileError& error) {
            platform_.dialogs.showError(error.what());
            return;
        }
    }
    platform_.opener.openFile(layerMap_.fileURL());
}

void AppDelegate::writeDefaultRules() {
    rulesfile::writeFileAtomically(layerMap_.fileURL(), defaultRulesText);
}

CompanionState AppDelegate::state() const {
    return {lastLayer_, frontmostName_, paused_, cdc_.isOpen(), cdc_.path(), cdc_.accessDenied()};
}

void AppDelegate::observeStatus(std::string backend, StatusObserver observer, Clock now) {
    backend_ = std::move(backend);
    statusObserver_ = std::move(observer);
    now_ = std::move(now);
    publishedStatus_.reset();
    publishStatus();
}

CompanionStatus AppDelegate::status() const {
    PadState pad = PadState::notFound;
    if (paused_) {
        pad = PadState::paused;
    } else if (cdc_.isOpen()) {
        pad = PadState::connected;
    } else if (cdc_.accessDenied()) {
        pad = PadState::noPermission;
    } else if (cdc_.inUse()) {
        pad = PadState::inUse;
    }
    return {backend_, frontmost_, lastLayer_,  match_,    layerMap_.fileURL().string(),
            paused_,  pad,        cdc_.path(), lastLine_, lastLineTime_};
}

void AppDelegate::tick() {
    if (quitting_) {
        return;
    }
    platform_.rulesWatch.catchUp();
    if (paused_) {
        rebuildMenu();
        return;
    }
    restoreLink();
    considerFrontmost(platform_.workspace.frontmostApplication());
}

// A new connection shows the pad's default layer, not the one last decided. That includes a
// dead port replaced within the one reconnect, as when the pad is replugged between two ticks.
void AppDelegate::restoreLink() {
    cdc_.reconnectIfNeeded();
    if (cdc_.connectionCount() != connectionsTold_ && lastLayer_) {
        sendLayer(*lastLayer_);
    }
}

// The tick's own link step, sooner: a plugged-in pad gets its layer at once, and an unplugged
// one lets go of its port at once. While the port is healthy, whatever device it was costs the
// liveness probe only.
void AppDelegate::serialDevicesChanged() {
    if (quitting_ || paused_) {
        return;
    }
    restoreLink();
    rebuildMenu();
}

void AppDelegate::considerFrontmost(const std::optional<RunningApplication>& app) {
    std::string slot(LayerMap::fallbackLayer);
    frontmostName_ = text::noName;
    frontmost_ = app;
    match_.reset();
    if (app) {
        frontmostName_ = app->localizedName.value_or(text::noName);
        match_ = layerMap_.matchFor(*app);
        slot = match_ ? match_->slot : slot;
        reportBrokenRules();
    }
    if (lastLayer_ != slot) {
        lastLayer_ = slot;
        if (!paused_) {
            sendLayer(slot);
        }
    }
    rebuildMenu();
}

// The frontmost application is considered as on an activation, so that a saved rule applies at
// once, also while paused, where it only updates the slot decided.
void AppDelegate::rulesChanged() {
    appActivated(std::nullopt);
}

// The rules in force stay as they are; the user only learns why the edit did not take.
void AppDelegate::reportBrokenRules() {
    if (const auto error = layerMap_.takeNewLoadError()) {
        platform_.notifier.notify(brokenRulesNotice(layerMap_.fileURL(), *error));
    }
}

// A connection that sendLine() opens itself is told the slot right away.
void AppDelegate::sendLayer(const std::string& slot) {
    std::string line = layerCommand(slot);
    if (cdc_.sendLine(line)) {
        lastLine_ = std::move(line);
        lastLineTime_ = now_();
    }
    connectionsTold_ = cdc_.connectionCount();
}

// Rebuilt after every event, but shown only when it changed: a menu replaced while it is open
// flickers or closes. The status follows the same events.
void AppDelegate::rebuildMenu() {
    publishStatus();
    MenuModel menu = menuModelFor(state());
    if (menu == shownMenu_) {
        return;
    }
    platform_.statusItem.show(menu);
    shownMenu_ = std::move(menu);
}

// A watcher hears of changes only: nothing is said, and nobody woken, while nothing changes.
void AppDelegate::publishStatus() {
    if (!statusObserver_) {
        return;
    }
    CompanionStatus current = status();
    if (current == publishedStatus_) {
        return;
    }
    statusObserver_(current);
    publishedStatus_ = std::move(current);
}

}  // namespace dorvane
