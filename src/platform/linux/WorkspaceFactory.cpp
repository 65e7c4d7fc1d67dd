#include "platform/linux/WorkspaceFactory.hpp"

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <sstream>
#include <utility>
#include <vector>

#include "platform/linux/cosmic/CosmicWorkspace.hpp"
#include "platform/linux/gnome/OpenGnomeShell.hpp"
#include "platform/linux/kwin/KWinWorkspace.hpp"
#include "platform/linux/system/EnvironmentVariable.hpp"
#include "platform/linux/wlr/WlrWorkspace.hpp"
#include "platform/linux/x11/X11Workspace.hpp"

namespace dorvane {
namespace {

std::string variable(const char* name) {
    return std::string(environmentVariable(name).value_or(""));
}

BackendStart openX11(const WorkspaceEnvironment& environment, WorkspaceLossHandler onLost) {
    if (auto workspace = X11Workspace::open(std::move(onLost))) {
        return {std::move(workspace), {}};
    }
    return {nullptr, "cannot open the X11 display " + environment.display};
}

template <BackendStart (*open)(WorkspaceLossHandler)>
BackendStart fromItsOwnVariables(const WorkspaceEnvironment&, WorkspaceLossHandler onLost) {
    return open(std::move(onLost));
}

// Each backend, tried in this order unless one is forced or the session names its desktop: a
// Wayland session's own view of its windows beats XWayland's part of it. A new backend is a row.
struct Backend {
    const char* name;
    BackendStart (*open)(const WorkspaceEnvironment& environment, WorkspaceLossHandler onLost);
    std::string WorkspaceEnvironment::*display;
    const char* displayVariable;
    bool xwaylandOnly = false;      // in a Wayland session, sees only the windows of X11 clients
    bool reportsOverBus = false;    // to the companion's name on the session bus
    const char* desktop = nullptr;  // in XDG_CURRENT_DESKTOP, moves this backend first
};

const Backend backends[] = {
    {.name = "wlr",
     .open = fromItsOwnVariables<WlrWorkspace::open>,
     .display = &WorkspaceEnvironment::waylandDisplay,
     .displayVariable = "WAYLAND_DISPLAY"},
    {.name = "cosmic",
     .open = fromItsOwnVariables<CosmicWorkspace::open>,
     .display = &WorkspaceEnvironment::waylandDisplay,
     .displayVariable = "WAYLAND_DISPLAY"},
    {.name = "kwin",
     .open = fromItsOwnVariables<KWinWorkspace::open>,
     .display = &WorkspaceEnvironment::waylandDisplay,
     .displayVariable = "WAYLAND_DISPLAY",
     .reportsOverBus = true,
     .desktop = "KDE"},
    {.name = "gnome",
     .open = fromItsOwnVariables<openGnomeShell>,
     .display = &WorkspaceEnvironment::waylandDisplay,
     .displayVariable = "WAYLAND_DISPLAY",
     .reportsOverBus = true,
     .desktop = "GNOME"},
    {.name = "x11",
     .open = openX11,
     .display = &WorkspaceEnvironment::display,
     .displayVariable = "DISPLAY",
     .xwaylandOnly = true},
};

// "wlr, cosmic, kwin, gnome or x11"
std::string backendNames() {
    std::string names;
    const std::size_t count = std::size(backends);
    for (std::size_t i = 0; i < count; ++i) {
        names += i == 0 ? "" : (i + 1 == count ? " or " : ", ");
        names += backends[i].name;
    }
    return names;
}

bool namesDesktop(const std::string& currentDesktop, const char* desktop) {
    std::istringstream names(currentDesktop);
    for (std::string name; std::getline(names, name, ':');) {
        if (name == desktop) {
            return true;
        }
    }
    return false;
}

// The backend of the desktop the session names comes first, so that a session does not follow
// another desktop's compositor for a moment, nor wait on it; the others keep their order.
std::vector<const Backend*> backendsToTry(const WorkspaceEnvironment& environment) {
    std::vector<const Backend*> order;
    for (const Backend& backend : backends) {
        order.push_back(&backend);
    }
    std::stable_partition(order.begin(), order.end(), [&](const Backend* backend) {
        return backend->desktop != nullptr &&
               namesDesktop(environment.currentDesktop, backend->desktop);
    });
    return order;
}

BackendStart start(const Backend& backend, const WorkspaceEnvironment& environment,
                   const BackendStarters& starters) {
    if ((environment.*backend.display).empty()) {
        return {nullptr, std::string(backend.displayVariable) + " is not set"};
    }
    return starters.at(backend.name)();
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
    err << prefix << "no such backend (" << backendNames() << ")\n";
    return {};
}

}  // namespace

WorkspaceEnvironment WorkspaceEnvironment::ofProcess() {
    return {variable("WAYLAND_DISPLAY"), variable("DISPLAY"), variable("XDG_SESSION_TYPE"),
            variable("DORVANE_WORKSPACE"), variable("XDG_CURRENT_DESKTOP")};
}

ChosenWorkspace chooseWorkspace(const WorkspaceEnvironment& environment,
                                const BackendStarters& starters, std::ostream& err) {
    if (!environment.forced.empty()) {
        return startForced(environment, starters, err);
    }
    std::vector<std::string> failures;
    for (const Backend* backend : backendsToTry(environment)) {
        auto started = start(*backend, environment, starters);
        if (started.workspace) {
            if (backend->xwaylandOnly && isWaylandSession(environment)) {
                // The first failure is a Wayland backend's own.
                err << "dorvane: this is a Wayland session, but " << failures.front()
                    << "; only applications running under XWayland can be followed\n";
            }
            return chosen(*backend, std::move(started), err);
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
    BackendStarters starters;
    for (const Backend& backend : backends) {
        starters.emplace(backend.name,
                         [&, open = backend.open] { return open(environment, onLost); });
    }
    return chooseWorkspace(environment, starters, err);
}

bool mayFollowReportsOverBus(const WorkspaceEnvironment& environment) {
    return std::any_of(std::begin(backends), std::end(backends), [&](const Backend& backend) {
        return backend.reportsOverBus &&
               (environment.forced.empty() || environment.forced == backend.name) &&
               !(environment.*backend.display).empty();
    });
}

bool reportsOverBus(std::string_view backend) {
    return std::any_of(std::begin(backends), std::end(backends), [&](const Backend& each) {
        return each.reportsOverBus && each.name == backend;
    });
}

}  // namespace dorvane
