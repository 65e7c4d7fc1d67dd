#pragma once

#include <optional>
#include <string>

#include "app/MainLoop.hpp"
#include "app/StatusItem.hpp"
#include "app/Workspace.hpp"
#include "link/CDCLink.hpp"
#include "rules/LayerMap.hpp"

namespace dorvane {

// The companion's spine: follows the frontmost application, decides its profile slot and tells
// the pad when it changes. Everything runs on the main loop; nothing here is thread-safe.
class AppDelegate {
public:
    // The frontmost name shown when there is no application to name (U+2014).
    static constexpr const char* noName = "\u2014";

    AppDelegate(const DeviceRegistry& registry, LayerMap& layerMap, Workspace& workspace,
                StatusItem& statusItem, MainLoop& mainLoop);
    AppDelegate(const AppDelegate&) = delete;
    AppDelegate& operator=(const AppDelegate&) = delete;

    // Status item first, then the activation observer and the timer, then one tick at once.
    void applicationDidFinishLaunching();

    // An application came to the front; none means the platform did not say which.
    void appActivated(const std::optional<RunningApplication>& app);

    void togglePause();

    // Closes the port, then ends the main loop.
    void quit();

    // What the status menu asks for.
    void perform(MenuAction action);

    const CDCLink& cdc() const { return cdc_; }
    const std::optional<std::string>& lastLayer() const { return lastLayer_; }
    const std::string& frontmostName() const { return frontmostName_; }
    bool paused() const { return paused_; }
    CompanionState state() const;

private:
    void tick();
    void considerFrontmost(const std::optional<RunningApplication>& app);
    void sendLayer(const std::string& slot);
    void rebuildMenu();

    CDCLink cdc_;
    LayerMap& layerMap_;
    Workspace& workspace_;
    StatusItem& statusItem_;
    MainLoop& mainLoop_;
    std::optional<std::string> lastLayer_;
    std::string frontmostName_ = noName;
    bool paused_ = false;
};

}  // namespace dorvane
