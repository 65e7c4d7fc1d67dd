#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "app/Workspace.hpp"
#include "platform/linux/workspace/BackendStart.hpp"
#include "platform/linux/workspace/WorkspaceLossHandler.hpp"

namespace dorvane {

// What decides the backend, as the process's environment gives it; empty for a variable unset.
struct WorkspaceEnvironment {
    std::string waylandDisplay;       // WAYLAND_DISPLAY
    std::string display;              // DISPLAY
    std::string sessionType;          // XDG_SESSION_TYPE
    std::string forced;               // DORVANE_WORKSPACE: a backend's name, for debugging
    std::string currentDesktop = {};  // XDG_CURRENT_DESKTOP: the session's desktops, by ':'

    static WorkspaceEnvironment ofProcess();
};

// Starts each backend, by its name; the factory calls each at most once, and only when it needs
// it. Every backend of the factory has one.
using BackendStarters = std::map<std::string, std::function<BackendStart()>, std::less<>>;

// The backend that started, with the name `dorvane frontmost` prints ("wlr", "cosmic", "kwin",
// "gnome", "x11"); no workspace when nothing can be followed.
struct ChosenWorkspace {
    std::string backend;
    std::unique_ptr<Workspace> workspace;
    std::optional<Notification> notice;  // the backend's, already said on `err`
};

// Picks the backend: the wlroots toplevel list when WAYLAND_DISPLAY names a compositor that
// offers it, else COSMIC's toplevel states over the foreign toplevel list, else KWin or GNOME Shell
// reporting over the session bus in a Wayland session, else X11 when DISPLAY is set (in a Wayland
// session, with one warning on `err` that only XWayland windows can be followed), else nothing,
// with one line on `err` saying why. KWin comes first when XDG_CURRENT_DESKTOP names KDE, GNOME
// Shell when it names GNOME. A notice of the backend that started is one line on `err` too.
// DORVANE_WORKSPACE=wlr|cosmic|kwin|gnome|x11 allows that backend alone.
ChosenWorkspace chooseWorkspace(const WorkspaceEnvironment& environment,
                                const BackendStarters& starters, std::ostream& err);

// The same over this process's environment and the real backends. A lost compositor is
// reported to `onLost`, on the main loop.
ChosenWorkspace openWorkspace(std::ostream& err, WorkspaceLossHandler onLost);

// Whether a backend that reports over the session bus, to the name a running companion holds,
// could be followed in `environment`.
bool mayFollowReportsOverBus(const WorkspaceEnvironment& environment);

// Whether the backend of that name reports over the session bus.
bool reportsOverBus(std::string_view backend);

}  // namespace dorvane
