#include "platform/linux/wlr/WlrWorkspace.hpp"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <utility>

#include "platform/linux/workspace/DisplayLossReasons.hpp"
#include "platform/linux/workspace/ToplevelStates.hpp"
#include "platform/linux/workspace/ValidUtf8.hpp"
#include "platform/linux/workspace/WaylandDisplay.hpp"
#include "platform/linux/workspace/WaylandEventSource.hpp"

namespace dorvane {
namespace {

// Versions above 3 may change what this client was written for.
constexpr uint32_t newestManagerVersion = 3;

}  // namespace

// What the compositor last said of one toplevel; properties change together at its done.
struct ToplevelState {
    std::optional<std::string> appId;
    bool activated = false;
};

struct WlrWorkspace::Toplevel {
    Toplevel(WlrWorkspace& owner, zwlr_foreign_toplevel_handle_v1* proxy)
        : workspace(owner), handle(proxy) {}

    WlrWorkspace& workspace;
    WlrToplevelHandlePtr handle;
    ToplevelState pending;
    ToplevelState current;
};

const wl_registry_listener WlrWorkspace::registryListener = {
    .global =
        [](void* data, wl_registry* registry, uint32_t name, const char* interface,
           uint32_t version) {
            if (std::strcmp(interface, zwlr_foreign_toplevel_manager_v1_interface.name) == 0) {
                static_cast<WlrWorkspace*>(data)->bindManager(registry, name, version);
            }
        },
    .global_remove = [](void*, wl_registry*, uint32_t) {},
};

const zwlr_foreign_toplevel_manager_v1_listener WlrWorkspace::managerListener = {
    .toplevel =
        [](void* data, zwlr_foreign_toplevel_manager_v1*, zwlr_foreign_toplevel_handle_v1* handle) {
            static_cast<WlrWorkspace*>(data)->track(handle);
        },
    // The compositor has destroyed the manager already; only the proxy is left to free.
    .finished =
        [](void* data, zwlr_foreign_toplevel_manager_v1*) {
            auto& workspace = *static_cast<WlrWorkspace*>(data);
            workspace.manager_.reset();
            workspace.fail("the Wayland compositor stopped listing its windows");
        },
};

const zwlr_foreign_toplevel_handle_v1_listener WlrWorkspace::toplevelListener = {
    .title = [](void*, zwlr_foreign_toplevel_handle_v1*, const char*) {},
    .app_id =
        [](void* data, zwlr_foreign_toplevel_handle_v1*, const char* appId) {
            static_cast<Toplevel*>(data)->pending.appId = validWaylandText(appId);
        },
    .output_enter = [](void*, zwlr_foreign_toplevel_handle_v1*, wl_output*) {},
    .output_leave = [](void*, zwlr_foreign_toplevel_handle_v1*, wl_output*) {},
    .state =
        [](void* data, zwlr_foreign_toplevel_handle_v1*, wl_array* states) {
            static_cast<Toplevel*>(data)->pending.activated =
                holdsState(*states, ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_ACTIVATED);
        },
    .done =
        [](void* data, zwlr_foreign_toplevel_handle_v1*) {
            auto& toplevel = *static_cast<Toplevel*>(data);
            toplevel.workspace.settle(toplevel);
        },
    .closed =
        [](void* data, zwlr_foreign_toplevel_handle_v1*) {
            auto& toplevel = *static_cast<Toplevel*>(data);
            toplevel.workspace.forget(toplevel);
        },
    .parent = [](void*, zwlr_foreign_toplevel_handle_v1*, zwlr_foreign_toplevel_handle_v1*) {},
};

BackendStart WlrWorkspace::open(WorkspaceLossHandler onLost) {
    std::unique_ptr<WlrWorkspace> workspace(new WlrWorkspace(std::move(onLost)));
    if (auto failure = workspace->connect(); !failure.empty()) {
        return {nullptr, std::move(failure)};
    }
    WlrWorkspace& self = *workspace;
    self.eventSource_ =
        attachWaylandEventSource(self.display_.get(), self.failure_,
                                 [&self](const std::string& reason) { self.lost(reason); });
    return {std::move(workspace), {}};
}

WlrWorkspace::WlrWorkspace(WorkspaceLossHandler onLost) : BackendWorkspace(std::move(onLost)) {}

WlrWorkspace::~WlrWorkspace() = default;

std::optional<RunningApplication> WlrWorkspace::frontmostApplication() {
    if (activated_ == nullptr) {
        return std::nullopt;
    }
    return identityOf(*activated_);
}

// An empty result: connected, with the manager bound and the toplevels open now known.
std::string WlrWorkspace::connect() {
    std::string refusal;
    display_ = connectToWaylandDisplay(refusal);
    if (!display_) {
        return refusal;
    }
    registry_.reset(wl_display_get_registry(display_.get()));
    wl_registry_add_listener(registry_.get(), &registryListener, this);
    if (auto failure = waylandRoundTripFailure(display_.get()); !failure.empty()) {
        return failure;
    }
    if (!manager_) {
        return "the Wayland compositor at " + waylandDisplayName() + " offers no " +
               zwlr_foreign_toplevel_manager_v1_interface.name;
    }
    // Each toplevel open now comes with its properties, ended by its done.
    if (auto failure = waylandRoundTripFailure(display_.get()); !failure.empty()) {
        return failure;
    }
    return failure_;
}

void WlrWorkspace::bindManager(wl_registry* registry, uint32_t name, uint32_t version) {
    if (manager_) {
        return;
    }
    manager_.reset(static_cast<zwlr_foreign_toplevel_manager_v1*>(
        wl_registry_bind(registry, name, &zwlr_foreign_toplevel_manager_v1_interface,
                         std::min(version, newestManagerVersion))));
    zwlr_foreign_toplevel_manager_v1_add_listener(manager_.get(), &managerListener, this);
}

void WlrWorkspace::track(zwlr_foreign_toplevel_handle_v1* handle) {
    auto toplevel = std::make_unique<Toplevel>(*this, handle);
    zwlr_foreign_toplevel_handle_v1_add_listener(handle, &toplevelListener, toplevel.get());
    toplevels_.emplace(handle, std::move(toplevel));
}

void WlrWorkspace::settle(Toplevel& toplevel) {
    const bool becameActivated = toplevel.pending.activated && !toplevel.current.activated;
    toplevel.current = toplevel.pending;
    if (toplevel.current.activated) {
        activated_ = &toplevel;
    } else if (activated_ == &toplevel) {
        activated_ = nullptr;
    }
    if (becameActivated && observed()) {
        activated(identityOf(toplevel));
    }
}

void WlrWorkspace::forget(Toplevel& toplevel) {
    if (activated_ == &toplevel) {
        activated_ = nullptr;
    }
    toplevels_.erase(toplevel.handle.get());
}

// The resolver reads desktop entries once per application, so the tick's asking stays cheap.
RunningApplication WlrWorkspace::identityOf(const Toplevel& toplevel) {
    WindowFacts facts;
    facts.appId = toplevel.current.appId;
    return resolve(facts);
}

// The first reason given is the one reported.
void WlrWorkspace::fail(std::string reason) {
    if (failure_.empty()) {
        failure_ = std::move(reason);
    }
}

}  // namespace dorvane
