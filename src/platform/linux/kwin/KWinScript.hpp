#pragma once

#include <gio/gio.h>

#include <filesystem>
#include <memory>
#include <set>
#include <string>

#include "platform/linux/glib/GLibHandles.hpp"

namespace dorvane {

// The companion's focus script, loaded into KWin and running for as long as this lives: it
// reports the active window to the companion's endpoint, which must already be on the bus.
// Destroying it unloads the script and removes its file, so that a quit leaves nothing behind in
// KWin, waiting only a moment for a KWin that hangs; a run that crashed leaves the script loaded,
// and the next load replaces it. Only the object KWin made for this script is ever run.
class KWinScript {
public:
    // The name KWin knows the script by: one at a time, whichever run loaded it.
    static constexpr const char* pluginName = "dorvane-focus";

    // Writes the script to the user's runtime folder, loads it into KWin and runs it. None, with
    // `failure` set as a clause for a one-line message, when any step fails.
    static std::unique_ptr<KWinScript> load(std::string& failure);

    ~KWinScript();
    KWinScript(const KWinScript&) = delete;
    KWinScript& operator=(const KWinScript&) = delete;

private:
    KWinScript(GObjectPtr<GDBusConnection> bus, std::filesystem::path file);

    bool loadIntoKWin(std::string& failure);
    bool findOwnObject(const std::set<std::string>& objectsBefore, std::string& failure);
    bool run(std::string& failure);

    GObjectPtr<GDBusConnection> bus_;
    std::filesystem::path file_;
    int id_ = -1;         // KWin's number for the script once loaded
    std::string object_;  // the path of the script's own object, which runs it
};

}  // namespace dorvane
