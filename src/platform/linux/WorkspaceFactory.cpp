#include "platform/linux/WorkspaceFactory.hpp"

#include <algorithm>
#include <cstdlib>
#include <utility>
#include <vector>

#include "platform/linux/GnomeShellWorkspace.hpp"
#include "platform/linux/KWinWorkspace.hpp"
#include "platform/linux/WlrWorkspace.hpp"
#include "platform/linux/X11Workspace.hpp"

namespace dorvane {
namespace {

std::string variable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

// Each backend, tried in this order unless one is forced: a Wayland session's own view of its
// windows beats XWayland's part of it.
struct Backend {
    const char* name;
    std::function<BackendStart()> BackendStarters::*starter;
    std::string WorkspaceEnvironment::*display;
    const char* displayVariable;
    bool xwaylandOnly;  // in a Wayland session, sees only the windows of X11 clients
};

const Backend backends[] = {
    {"wlr", &BackendStarters::wlr, &WorkspaceEnvironment::waylandDisplay, "WAYLAND_DISPLAY", false},
    {"kwin", &BackendStarters::kwin, &WorkspaceEnvironment::waylandDisplay, "WAYLAND_DISPLAY",
     false},
    {"gnome", &BackendStarters::gnome, &WorkspaceEnvironment::waylandDisplay, "WAYLAND_DISPLAY",
     false},
    {"x11", &BackendStarters::x11, &WorkspaceEnvironment::display, "DISPLAY", true},
};

BackendStart start(const Backend& backend, const WorkspaceEnvironment& environment,
                   const BackendStarters& starters) {
    if ((environment.*backend.display).empty()) {
        return {nullptr, std::string(backend.displayVariable) + " is not set"};
    }
    return (starters.*backend.starter)();
}

bool isWaylandSession(const WorkspaceEnvironment& environment) {
    return !environment.waylandDisplay.empty() || environment.sessionType == "wayland";
}

ChosenWorkspace chosen(const Backend& backend, BackendStart started, std::ostream& err) {
    if (started.notice) {
        err << "dorvane: " << started.notice->body << '\n';
    }
    return {backend.name, std::move(started.workspace), std::move(started.notice)};
}

ChosenWorkspace startForced(const WorkspaceEnvironment& environment,
                            const BackendStarters& starters, std::ostream& err) {
    const std::string prefix = "dorvane: DORVANE_WORKSPACE=" + environment.forced + ": ";
    for (const Backend& backend : backends) {
        if (environment.forced == backend.name) {
            auto started = start(backend, environment, starters);
            if (!started.workspace) {
                err << prefix << started.failure << '\n';
                return {};
            }
            return chosen(backend, std::move(started), err);
        }
    }
    err << prefix << "no such backend (wlr, kwin, gnome or x11)\n";
    return {};
}

}  // namespace

WorkspaceEnvironment WorkspaceEnvironment::ofProcess() {
    return {variable("WAYLAND_DISPLAY"), variable("DISPLAY"), variable("XDG_SESSION_TYPE"),
            variable("DORVANE_WORKSPACE")};
}

ChosenWorkspace chooseWorkspace(const WorkspaceEnvironment& environment,
                                const BackendStarters& starters, std::ostream& err) {
    if (!environment.forced.empty()) {
        return startForced(environment, starters, err);
    }
    std::vector<std::string> failures;
    for (const Backend& backend : backends) {
        auto started = start(backend, environment, starters);
        if (started.workspace) {
            if (backend.xwaylandOnly && isWaylandSession(environment)) {
                // The first failure is the Wayland backend's own.
                err << "dorvane: this is a Wayland session, but " << failures.front()
                    << "; only applications running under XWayland can be followed\n";
            }
            return chosen(backend, std::move(started), err);
        }
        // Every Wayland backend misses WAYLAND_DISPLAY alike: said once.
        if (std::find(failures.begin(), failures.end(), started.failure) == failures.end()) {
            failures.push_back(std::move(started.failure));
        }
    }
    err << "dorvane: no desktop to follow: ";
    for (std::size_t i = 0; i < failures.size(); ++i) {
        err << (i == 0 ? "" : ", and ") << failures[i];
    }
    err << '\n';
    return {};
}

ChosenWorkspace openWorkspace(std::ostream& err, WorkspaceLossHandler onLost) {
    const auto environment = WorkspaceEnvironment::ofProcess();
    const BackendStarters starters{
        [&] { return WlrWorkspace::open(onLost); },
        [&] { return KWinWorkspace::open(onLost); },
        [&] { return GnomeShellWorkspace::open(onLost); },
        [&]() -> BackendStart {
            if (auto workspace = X11Workspace::open(onLost)) {
                return {std::move(workspace), {}};
            }
            return {nullptr, "cannot open the X11 display " + environment.display};
        },
    };
    return chooseWorkspace(environment, starters, err);
}

}  // namespace dorvane
