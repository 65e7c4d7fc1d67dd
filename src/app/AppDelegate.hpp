#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "app/Dialogs.hpp"
#include "app/MainLoop.hpp"
#include "app/Notifier.hpp"
#include "app/Opener.hpp"
#include "app/RulesFolderWatch.hpp"
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

    // The web configurator, which needs the pad's serial port for itself.
    static constexpr const char* configuratorURL = "https://dorvane.app/configurator/";

    // What "Edit app rules…" writes when there is no rules file yet.
    static constexpr const char* defaultRulesText =
        "cursor: Cursor, com.anysphere.cursor\n"
        "chrome: Google Chrome, com.google.Chrome\n"
        "slack: Slack, com.tinyspeck.slackmacgap\n";

    // The desktop's services, all used on the main loop.
    struct Platform {
        Workspace& workspace;
        StatusItem& statusItem;
        MainLoop& mainLoop;
        Opener& opener;
        Dialogs& dialogs;
        RulesFolderWatch& rulesWatch;
        Notifier& notifier;
    };

    AppDelegate(DeviceRegistry& registry, LayerMap& layerMap, const Platform& platform);
    AppDelegate(const AppDelegate&) = delete;
    AppDelegate& operator=(const AppDelegate&) = delete;

    // Status item first, then the activation observer, the timer, the rules and device watches,
    // then one tick at once.
    void applicationDidFinishLaunching();

    // An application came to the front; none means the platform did not say which.
    void appActivated(const std::optional<RunningApplication>& app);

    void togglePause();

    // Pauses, releasing the port, then opens the web configurator.
    void openConfigurator();

    // Makes a file the user chooses the rules file; an error is shown and changes nothing. While
    // the chooser is open, asking again does nothing.
    void importAppRules();

    // Opens the rules file, writing the default rules first when there is none.
    void editAppRules();

    // Closes the port, dismisses any open dialog, then ends the main loop. Nothing touches the port
    // afterwards, even while a dialog's own loop is still winding down.
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
    void restoreLink();
    void serialDevicesChanged();
    void considerFrontmost(const std::optional<RunningApplication>& app);
    void rulesChanged();
    void reportBrokenRules();
    void sendLayer(const std::string& slot);
    void rebuildMenu();
    void writeDefaultRules();

    DeviceRegistry& registry_;
    CDCLink cdc_;
    LayerMap& layerMap_;
    Workspace& workspace_;
    StatusItem& statusItem_;
    MainLoop& mainLoop_;
    Opener& opener_;
    Dialogs& dialogs_;
    RulesFolderWatch& rulesWatch_;
    Notifier& notifier_;
    std::optional<std::string> lastLayer_;
    std::string frontmostName_ = noName;
    bool paused_ = false;
    // The link's connections that have been told lastLayer_ (or a newer slot).
    std::uint64_t connectionsTold_ = 0;
    bool choosingFile_ = false;
    bool quitting_ = false;
    std::optional<MenuModel> shownMenu_;
};

}  // namespace dorvane
