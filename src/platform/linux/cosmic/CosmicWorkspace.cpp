#include "platform/linux/cosmic/CosmicWorkspace.hpp"

#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/linux/cosmic/CosmicStateListener.hpp"
#include "platform/linux/workspace/ToplevelStates.hpp"
#include "platform/linux/workspace/ValidUtf8.hpp"
#include "platform/linux/workspace/WaylandEventSource.hpp"

namespace dorvane {
namespace {

// The list's only version; the info's first with get_cosmic_toplevel and its done, and the last
// whose changes this client needs: version 3 only moves workspaces to another protocol.
constexpr uint32_t listVersion = 1;
constexpr uint32_t infoVersion = 2;

}  // namespace

struct CosmicWorkspace::Toplevel {
    Toplevel(CosmicWorkspace& owner, ext_foreign_toplevel_handle_v1* proxy)
        : workspace(owner), handle(proxy) {}

    CosmicWorkspace& workspace;
    ExtToplevelHandlePtr handle;
    // After the handle it extends, so that it goes first, as the protocol asks.
    CosmicToplevelHandlePtr state;
    std::optional<std::string> pendingAppId;
    bool pendingActivated = false;
    std::optional<std::string> appId;
    bool activated = false;
};

const wl_registry_listener CosmicWorkspace::registryListener = {
    .global =
        [](void* data, wl_registry* registry, uint32_t name, const char* interface,
           uint32_t version) {
            static_cast<CosmicWorkspace*>(data)->bindGlobal(registry, interface, name, version);
        },
    .global_remove = [](void*, wl_registry*, uint32_t) {},
};

const ext_foreign_toplevel_list_v1_listener CosmicWorkspace::listListener = {
    .toplevel =
        [](void* data, ext_foreign_toplevel_list_v1*, ext_foreign_toplevel_handle_v1* handle) {
            static_cast<CosmicWorkspace*>(data)->track(handle);
        },
    .finished =
        [](void* data, ext_foreign_toplevel_list_v1*) {
            static_cast<CosmicWorkspace*>(data)->fail(
                "the Wayland compositor stopped listing its windows");
        },
};

const ext_foreign_toplevel_handle_v1_listener CosmicWorkspace::toplevelListener = {
    .closed =
        [](void* data, ext_foreign_toplevel_handle_v1*) {
            auto& toplevel = *static_cast<Toplevel*>(data);
            toplevel.workspace.forget(toplevel);
        },
    // The app ID; the activated state waits for the info's done.
    .done =
        [](void* data, ext_foreign_toplevel_handle_v1*) {
            auto& toplevel = *static_cast<Toplevel*>(data);
            toplevel.appId = toplevel.pendingAppId;
        },
    .title = [](void*, ext_foreign_toplevel_handle_v1*, const char*) {},
    .app_id =
        [](void* data, ext_foreign_toplevel_handle_v1*, const char* appId) {
            static_cast<Toplevel*>(data)->pendingAppId = validWaylandText(appId);
        },
    .identifier = [](void*, ext_foreign_toplevel_handle_v1*, const char*) {},
};

const zcosmic_toplevel_info_v1_listener CosmicWorkspace::infoListener = {
    // Sent to version 1 only: a handle made anyway is given straight back.
    .toplevel =
        [](void*, zcosmic_toplevel_info_v1*, zcosmic_toplevel_handle_v1* handle) {
            zcosmic_toplevel_handle_v1_destroy(handle);
        },
    // From version 2 on, only the answer to stop, which this client never sends.
    .finished = [](void*, zcosmic_toplevel_info_v1*) {},
    .done = [](void* data,
               zcosmic_toplevel_info_v1*) { static_cast<CosmicWorkspace*>(data)->settleStates(); },
};

const zcosmic_toplevel_handle_v1_listener CosmicWorkspace::stateListener =
    cosmicStateListener([](void* data, zcosmic_toplevel_handle_v1*, wl_array* states) {
        static_cast<Toplevel*>(data)->pendingActivated =
            holdsState(*states, ZCOSMIC_TOPLEVEL_HANDLE_V1_STATE_ACTIVATED);
    });

BackendStart CosmicWorkspace::open(WorkspaceLossHandler onLost) {
    std::unique_ptr<CosmicWorkspace> workspace(new CosmicWorkspace(std::move(onLost)));
    if (auto failure = workspace->connect(); !failure.empty()) {
        return {nullptr, std::move(failure)};
    }
    CosmicWorkspace& self = *workspace;
    self.eventSource_ =
        attachWaylandEventSource(self.display_.get(), self.failure_,
                                 [&self](const std::string& reason) { self.lost(reason); });
    return {std::move(workspace), {}};
}

CosmicWorkspace::CosmicWorkspace(WorkspaceLossHandler onLost)
    : BackendWorkspace(std::move(onLost)) {}

CosmicWorkspace::~CosmicWorkspace() = default;

std::optional<RunningApplication> CosmicWorkspace::frontmostApplication() {
    if (activated_ == nullptr) {
        return std::nullopt;
    }
    return identityOf(*activated_);
}

// An empty result: connected, with both globals bound and the toplevels open now known with
// their states.
std::string CosmicWorkspace::connect() {
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
    if (auto missing = missingGlobal(); !missing.empty()) {
        return missing;
    }
    // First the toplevels with their properties, each asked for its COSMIC handle as it comes;
    // then the states on those handles, ended by the info's done.
    for (int answer = 0; answer < 2; ++answer) {
        if (auto failure = waylandRoundTripFailure(display_.get()); !failure.empty()) {
            return failure;
        }
    }
    return failure_;
}

std::string CosmicWorkspace::missingGlobal() const {
    const std::string compositor = "the Wayland compositor at " + waylandDisplayName();
    if (!list_) {
        return compositor + " offers no " + ext_foreign_toplevel_list_v1_interface.name;
    }
    if (infoVersionOffered_ == 0) {
        return compositor + " offers no " + zcosmic_toplevel_info_v1_interface.name;
    }
    if (!info_) {
        return compositor + " offers " + zcosmic_toplevel_info_v1_interface.name +
               " only at version " + std::to_string(infoVersionOffered_) + ", before " +
               std::to_string(infoVersion);
    }
    return {};
}

void CosmicWorkspace::bindGlobal(wl_registry* registry, const char* interface, uint32_t name,
                                 uint32_t version) {
    if (std::strcmp(interface, ext_foreign_toplevel_list_v1_interface.name) == 0 && !list_) {
        list_.reset(static_cast<ext_foreign_toplevel_list_v1*>(wl_registry_bind(
            registry, name, &ext_foreign_toplevel_list_v1_interface, listVersion)));
        ext_foreign_toplevel_list_v1_add_listener(list_.get(), &listListener, this);
    } else if (std::strcmp(interface, zcosmic_toplevel_info_v1_interface.name) == 0 && !info_) {
        infoVersionOffered_ = version;
        if (version >= infoVersion) {
            info_.reset(static_cast<zcosmic_toplevel_info_v1*>(wl_registry_bind(
                registry, name, &zcosmic_toplevel_info_v1_interface, infoVersion)));
            zcosmic_toplevel_info_v1_add_listener(info_.get(), &infoListener, this);
        }
    }
}

void CosmicWorkspace::track(ext_foreign_toplevel_handle_v1* handle) {
    auto toplevel = std::make_unique<Toplevel>(*this, handle);
    ext_foreign_toplevel_handle_v1_add_listener(handle, &toplevelListener, toplevel.get());
    toplevel->state.reset(zcosmic_toplevel_info_v1_get_cosmic_toplevel(info_.get(), handle));
    zcosmic_toplevel_handle_v1_add_listener(toplevel->state.get(), &stateListener, toplevel.get());
    toplevels_.emplace(handle, std::move(toplevel));
}

// The batch's states apply together: a toplevel that became activated in it is the frontmost,
// and the only one delivered.
void CosmicWorkspace::settleStates() {
    Toplevel* becameActivated = nullptr;
    for (auto& [handle, toplevel] : toplevels_) {
        if (toplevel->pendingActivated && !toplevel->activated) {
            becameActivated = toplevel.get();
        }
        toplevel->activated = toplevel->pendingActivated;
    }
    if (becameActivated != nullptr) {
        activated_ = becameActivated;
        if (observed()) {
            activated(identityOf(*becameActivated));
        }
        return;
    }
    if (activated_ != nullptr && !activated_->activated) {
        const auto stillActivated =
            std::find_if(toplevels_.begin(), toplevels_.end(),
                         [](const auto& entry) { return entry.second->activated; });
        activated_ = stillActivated != toplevels_.end() ? stillActivated->second.get() : nullptr;
    }
}

void CosmicWorkspace::forget(Toplevel& toplevel) {
    if (activated_ == &toplevel) {
        activated_ = nullptr;
    }
    toplevels_.erase(toplevel.handle.get());
}

// The resolver reads desktop entries once per application, so the tick's asking stays cheap.
RunningApplication CosmicWorkspace::identityOf(const Toplevel& toplevel) {
    WindowFacts facts;
    facts.appId = toplevel.appId;
    return resolve(facts);
}

// The first reason given is the one reported.
void CosmicWorkspace::fail(std::string reason) {
    if (failure_.empty()) {
        failure_ = std::move(reason);
    }
}

}  // namespace dorvane
