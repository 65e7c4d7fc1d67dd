#include "app/AppDelegate.hpp"

#include <filesystem>

#include "app/BrokenRulesNotice.hpp"
#include "rules/RulesError.hpp"
#include "rules/RulesFile.hpp"

namespace dorvane {

AppDelegate::AppDelegate(DeviceRegistry& registry, LayerMap& layerMap, const Platform& platform)
    : registry_(registry),
      cdc_(registry),
      layerMap_(layerMap),
      workspace_(platform.workspace),
      statusItem_(platform.statusItem),
      mainLoop_(platform.mainLoop),
      opener_(platform.opener),
      dialogs_(platform.dialogs),
      rulesWatch_(platform.rulesWatch),
      notifier_(platform.notifier) {}

void AppDelegate::applicationDidFinishLaunching() {
    statusItem_.create([this](MenuAction action) { perform(action); });
    workspace_.observeActivations(
        [this](const std::optional<RunningApplication>& app) { appActivated(app); });
    mainLoop_.startRepeatingTimer([this] { tick(); });
    rulesWatch_.start(layerMap_.fileURL(), [this] { rulesChanged(); });
    registry_.watchSerialDevices([this] { serialDevicesChanged(); });
    tick();
}

void AppDelegate::appActivated(const std::optional<RunningApplication>& app) {
    if (quitting_) {
        return;
    }
    considerFrontmost(app ? app : workspace_.frontmostApplication());
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
    dialogs_.dismiss();
    mainLoop_.terminate();
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
    opener_.openURL(configuratorURL);
}

void AppDelegate::importAppRules() {
    if (choosingFile_) {
        return;
    }
    choosingFile_ = true;
    const auto chosen = dialogs_.chooseFile("Import Dorvane app rules");
    choosingFile_ = false;
    if (!chosen || quitting_) {
        return;
    }
    try {
        layerMap_.importRules(*chosen);
    } catch (const FileError& error) {
        dialogs_.showError(error.what());
        return;
    } catch (const RulesError& error) {
        dialogs_.showError(error.what());
        return;
    }
    considerFrontmost(workspace_.frontmostApplication());
}

// Whatever stands at the rules path, even an empty or broken file, is opened as it is.
void AppDelegate::editAppRules() {
    std::error_code unexaminable;
    if (!std::filesystem::exists(layerMap_.fileURL(), unexaminable)) {
        try {
            writeDefaultRules();
        } catch (const FileError& error) {
            dialogs_.showError(error.what());
            return;
        }
    }
    opener_.openFile(layerMap_.fileURL());
}

void AppDelegate::writeDefaultRules() {
    rulesfile::writeFileAtomically(layerMap_.fileURL(), defaultRulesText);
}

CompanionState AppDelegate::state() const {
    return {lastLayer_, frontmostName_, paused_, cdc_.isOpen(), cdc_.path(), cdc_.accessDenied()};
}

void AppDelegate::tick() {
    if (quitting_) {
        return;
    }
    rulesWatch_.catchUp();
    if (paused_) {
        rebuildMenu();
        return;
    }
    restoreLink();
    considerFrontmost(workspace_.frontmostApplication());
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
    std::string slot = "general";
    frontmostName_ = noName;
    if (app) {
        frontmostName_ = app->localizedName.value_or(noName);
        slot = layerMap_.layerFor(*app).value_or("general");
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
    if (const auto error = layerMap_.takeNewParseError()) {
        notifier_.notify(brokenRulesNotice(layerMap_.fileURL(), *error));
    }
}

// A connection that sendLine() opens itself is told the slot right away.
void AppDelegate::sendLayer(const std::string& slot) {
    cdc_.sendLine("LAYER " + slot);
    connectionsTold_ = cdc_.connectionCount();
}

// Rebuilt after every event, but shown only when it changed: a menu replaced while it is open
// flickers or closes.
void AppDelegate::rebuildMenu() {
    MenuModel menu = menuModelFor(state());
    if (menu == shownMenu_) {
        return;
    }
    statusItem_.show(menu);
    shownMenu_ = std::move(menu);
}

}  // namespace dorvane
