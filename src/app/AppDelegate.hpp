#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "app/CompanionStatus.hpp"
#include "app/Dialogs.hpp"
#include "app/MainLoop.hpp"
#include "app/Notifier.hpp"
#include "app/Opener.hpp"
#include "app/RulesFolderWatch.hpp"
#include "app/StatusItem.hpp"
#include "app/Workspace.hpp"
#include "link/CDCLink.hpp"
#include "rules/LayerMap.hpp"
#include "text/NoName.hpp"

namespace dorvane {

// The companion's spine: follows the frontmost application, decides its profile slot and tells
// the pad when it changes. Everything runs on the main loop; nothing here is thread-safe.
class AppDelegate {
public:
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

    using StatusObserver = std::function<void(const CompanionStatus&)>;
    using Clock = std::function<std::chrono::system_clock::time_point()>;

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

    CompanionState state() const;

    // Tells `observer` the status now, then after each event that changed it, and only then.
    // `backend` names the workspace followed; `now` dates the lines sent from now on.
    void observeStatus(std::string backend, StatusObserver observer,
                       Clock now = std::chrono::system_clock::now);
    CompanionStatus status() const;

private:
    void tick();
    void restoreLink();
    void serialDevicesChanged();
    void considerFrontmost(const std::optional<RunningApplication>& app);
    void rulesChanged();
    void reportBrokenRules();
    void sendLayer(const std::string& slot);
    void rebuildMenu();
    void publishStatus();
    void writeDefaultRules();

    DeviceRegistry& registry_;
    CDCLink cdc_;
    LayerMap& layerMap_;
    const Platform platform_;
    std::optional<std::string> lastLayer_;
    std::string frontmostName_ = text::noName;
    bool paused_ = false;
    // The link's connections that have been told lastLayer_ (or a newer slot).
    std::uint64_t connectionsTold_ = 0;
    bool choosingFile_ = false;
    bool quitting_ = false;
    std::optional<MenuModel> shownMenu_;
    std::optional<RunningApplication> frontmost_;
    std::optional<LayerMatch> match_;
    std::optional<std::string> lastLine_;
    std::optional<std::chrono::system_clock::time_point> lastLineTime_;
    std::string backend_;
    StatusObserver statusObserver_;
    Clock now_ = std::chrono::system_clock::now;
    std::optional<CompanionStatus> publishedStatus_;
};

}  // namespace dorvane
