#include "app/AppDelegate.hpp"

namespace dorvane {

AppDelegate::AppDelegate(const DeviceRegistry& registry, LayerMap& layerMap, Workspace& workspace,
                         StatusItem& statusItem, MainLoop& mainLoop)
    : cdc_(registry),
      layerMap_(layerMap),
      workspace_(workspace),
      statusItem_(statusItem),
      mainLoop_(mainLoop) {}

void AppDelegate::applicationDidFinishLaunching() {
    statusItem_.create([this](MenuAction action) { perform(action); });
    workspace_.observeActivations(
        [this](const std::optional<RunningApplication>& app) { appActivated(app); });
    mainLoop_.startRepeatingTimer([this] { tick(); });
    tick();
}

void AppDelegate::appActivated(const std::optional<RunningApplication>& app) {
    considerFrontmost(app ? app : workspace_.frontmostApplication());
}

void AppDelegate::togglePause() {
    paused_ = !paused_;
    if (paused_) {
        cdc_.closePort();
    }
    tick();
}

void AppDelegate::quit() {
    cdc_.closePort();
    mainLoop_.terminate();
}

// Customize keys, Import and Edit app rules are shown but do nothing yet.
void AppDelegate::perform(MenuAction action) {
    switch (action) {
        case MenuAction::togglePause:
            togglePause();
            break;
        case MenuAction::quit:
            quit();
            break;
        case MenuAction::openConfigurator:
        case MenuAction::importAppRules:
        case MenuAction::editAppRules:
        case MenuAction::none:
            break;
    }
}

CompanionState AppDelegate::state() const {
    return {lastLayer_, frontmostName_, paused_, cdc_.isOpen(), cdc_.path()};
}

void AppDelegate::tick() {
    if (paused_) {
        rebuildMenu();
        return;
    }
    const bool wasOpen = cdc_.isOpen();
    cdc_.reconnectIfNeeded();
    // A port that has just opened shows the pad's default layer, not the one last decided.
    if (!wasOpen && cdc_.isOpen() && lastLayer_) {
        sendLayer(*lastLayer_);
    }
    considerFrontmost(workspace_.frontmostApplication());
}

void AppDelegate::considerFrontmost(const std::optional<RunningApplication>& app) {
    std::string slot = "general";
    frontmostName_ = noName;
    if (app) {
        frontmostName_ = app->localizedName.value_or(noName);
        slot = layerMap_.layerFor(*app).value_or("general");
    }
    if (lastLayer_ != slot) {
        lastLayer_ = slot;
        if (!paused_) {
            sendLayer(slot);
        }
    }
    rebuildMenu();
}

void AppDelegate::sendLayer(const std::string& slot) {
    cdc_.sendLine("LAYER " + slot);
}

void AppDelegate::rebuildMenu() {
    statusItem_.show(menuModelFor(state()));
}

}  // namespace dorvane
