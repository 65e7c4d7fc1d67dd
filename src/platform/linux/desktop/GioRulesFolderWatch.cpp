#include "platform/linux/desktop/GioRulesFolderWatch.hpp"

#include <algorithm>
#include <system_error>
#include <utility>
#include <vector>

#include "platform/linux/glib/GLibHandles.hpp"
#include "rules/LayerMap.hpp"
#include "rules/RulesError.hpp"
#include "rules/RulesFile.hpp"

namespace dorvane {
namespace {

// The rules are reloaded only once the file has settled, as dated by the file system's clock;
// the few milliseconds more let that clock pass the mark too.
constexpr guint settledAfterMilliseconds = LayerMap::settleTime.count() + 10;

// The file at its folder as the system finds it: a ".." in a link's target leaves the folder the
// link is really in, which is not its lexical parent when the path goes through a linked folder.
std::filesystem::path physically(const std::filesystem::path& file) {
    std::error_code unresolvable;
    const auto folder = std::filesystem::weakly_canonical(file.parent_path(), unresolvable);
    return unresolvable ? file.lexically_normal() : folder / file.filename();
}

// The rules file, then the end of its chain of links when it is one. A link that cannot be
// followed leaves the file's own folder, where a repair of the link shows.
std::vector<std::filesystem::path> chainEnds(const std::filesystem::path& rulesFile) {
    std::vector<std::filesystem::path> ends{rulesFile};
    try {
        const auto target = rulesfile::finalTarget(rulesFile);
        if (target != rulesFile) {
            ends.push_back(physically(target));
        }
    } catch (const FileError&) {
    }
    return ends;
}

bool isFolder(const std::filesystem::path& path) {
    std::error_code unexaminable;
    return std::filesystem::is_directory(path, unexaminable);
}

std::string basename(GFile* file) {
    GCharPtr name(g_file_get_basename(file));
    return name ? name.get() : "";
}

}  // namespace

void GioRulesFolderWatch::MonitorDeleter::operator()(GFileMonitor* monitor) const {
    g_signal_handlers_disconnect_matched(monitor, G_SIGNAL_MATCH_FUNC, 0, 0, nullptr,
                                         reinterpret_cast<gpointer>(&changed), nullptr);
    g_file_monitor_cancel(monitor);
    g_object_unref(monitor);
}

void GioRulesFolderWatch::start(const std::filesystem::path& rulesFile, ChangeHandler onChange) {
    rulesFile_ = rulesFile;
    onChange_ = std::move(onChange);
    follow();
}

void GioRulesFolderWatch::catchUp() {
    if (!everyFolderWatched_) {
        follow();
    }
}

// Keeps the monitors of folders still on the chain, so that no event is lost in between.
void GioRulesFolderWatch::follow() {
    names_.clear();
    std::map<std::filesystem::path, MonitorPtr> monitors;
    everyFolderWatched_ = true;
    for (const auto& end : chainEnds(rulesFile_)) {
        names_.insert(end.filename());
        const auto folder = end.parent_path();
        if (monitors.contains(folder)) {
            continue;
        }
        auto kept = monitors_.extract(folder);
        if (!kept.empty()) {
            monitors.insert(std::move(kept));
        } else if (auto monitor = isFolder(folder) ? monitorFolder(folder) : nullptr) {
            monitors.emplace(folder, std::move(monitor));
        } else {
            everyFolderWatched_ = false;
        }
    }
    monitors_ = std::move(monitors);
}

GioRulesFolderWatch::MonitorPtr GioRulesFolderWatch::monitorFolder(
    const std::filesystem::path& folder) {
    GObjectPtr<GFile> file(g_file_new_for_path(folder.c_str()));
    MonitorPtr monitor(
        g_file_monitor_directory(file.get(), G_FILE_MONITOR_WATCH_MOVES, nullptr, nullptr));
    if (monitor) {
        g_signal_connect(monitor.get(), "changed", G_CALLBACK(changed), this);
    }
    return monitor;
}

void GioRulesFolderWatch::changed(GFileMonitor* monitor, GFile* file, GFile* otherFile,
                                  GFileMonitorEvent event, gpointer self) {
    static_cast<GioRulesFolderWatch*>(self)->handle(monitor, file, otherFile, event);
}

// Only events that leave a whole file behind the rules name count. CHANGED comes while a file
// saved in place is still being written, and CREATED before a new file's first byte: either
// would read half a file, report it broken, or briefly put half the rules in force. A file that
// goes away (DELETED, MOVED_OUT, renamed away) is left to the tick: editors that keep a backup
// rename the file away just before writing the new one, and reacting would switch the pad to
// the built-in rules and back.
void GioRulesFolderWatch::handle(GFileMonitor* monitor, GFile* file, GFile* otherFile,
                                 GFileMonitorEvent event) {
    switch (event) {
        case G_FILE_MONITOR_EVENT_CHANGES_DONE_HINT:
        case G_FILE_MONITOR_EVENT_MOVED_IN:
            if (!isRulesName(file)) {
                return;
            }
            break;
        case G_FILE_MONITOR_EVENT_RENAMED:
            if (!isRulesName(otherFile)) {
                return;
            }
            break;
        case G_FILE_MONITOR_EVENT_DELETED:
            forgetIfFolderGone(monitor, file);
            return;
        default:
            return;
    }
    // A link may have been made to lead elsewhere.
    follow();
    reportOnceSettled();
}

// A file saved in several writes, each closed, completes once per write: only the last counts.
void GioRulesFolderWatch::reportOnceSettled() {
    settling_.reset(g_timeout_source_new(settledAfterMilliseconds));
    g_source_set_callback(settling_.get(), settled, this, nullptr);
    g_source_attach(settling_.get(), g_main_context_get_thread_default());
}

gboolean GioRulesFolderWatch::settled(gpointer self) {
    static_cast<GioRulesFolderWatch*>(self)->onChange_();
    return G_SOURCE_REMOVE;
}

// GIO would poll every few seconds for a deleted folder's return; catchUp() looks at each tick.
void GioRulesFolderWatch::forgetIfFolderGone(GFileMonitor* monitor, GFile* file) {
    GCharPtr path(g_file_get_path(file));
    const auto watched =
        std::find_if(monitors_.begin(), monitors_.end(),
                     [monitor](const auto& entry) { return entry.second.get() == monitor; });
    if (path && watched != monitors_.end() && watched->first == path.get()) {
        monitors_.erase(watched);
        everyFolderWatched_ = false;
    }
}

bool GioRulesFolderWatch::isRulesName(GFile* file) const {
    return file != nullptr && names_.contains(basename(file));
}

}  // namespace dorvane
