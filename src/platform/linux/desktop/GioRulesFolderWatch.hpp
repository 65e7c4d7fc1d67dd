#pragma once

#include <gio/gio.h>

#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "app/RulesFolderWatch.hpp"
#include "platform/linux/glib/GLibHandles.hpp"

namespace dorvane {

// Watches the rules file's folder, and the folder of its link's final target, with GIO: a
// folder's monitor sees saves by rename and by delete-and-create as well as in place, where one
// on the file would lose track of it after the first rename. Only folders that exist are
// watched: GIO polls a missing path every few seconds, so a missing folder is left to catchUp().
// A save is reported once the file has gone unwritten long enough for the rules to take it.
class GioRulesFolderWatch final : public RulesFolderWatch {
public:
    GioRulesFolderWatch() = default;
    GioRulesFolderWatch(const GioRulesFolderWatch&) = delete;
    GioRulesFolderWatch& operator=(const GioRulesFolderWatch&) = delete;

    void start(const std::filesystem::path& rulesFile, ChangeHandler onChange) override;
    void catchUp() override;

private:
    // Cancels the monitor before letting go of it, which stops its events at once.
    struct MonitorDeleter {
        void operator()(GFileMonitor* monitor) const;
    };
    using MonitorPtr = std::unique_ptr<GFileMonitor, MonitorDeleter>;

    static void changed(GFileMonitor* monitor, GFile* file, GFile* otherFile,
                        GFileMonitorEvent event, gpointer self);
    void handle(GFileMonitor* monitor, GFile* file, GFile* otherFile, GFileMonitorEvent event);
    void reportOnceSettled();
    static gboolean settled(gpointer self);
    void follow();
    MonitorPtr monitorFolder(const std::filesystem::path& folder);
    void forgetIfFolderGone(GFileMonitor* monitor, GFile* file);
    bool isRulesName(GFile* file) const;

    std::filesystem::path rulesFile_;
    ChangeHandler onChange_;
    // The names the rules file has along its chain of links: its own, and its final target's.
    std::set<std::string> names_;
    std::map<std::filesystem::path, MonitorPtr> monitors_;
    bool everyFolderWatched_ = true;
    // Last, so that it stops first: its callback uses the rest.
    GSourcePtr settling_;
};

}  // namespace dorvane
