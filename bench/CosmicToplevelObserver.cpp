#include "CosmicToplevelObserver.hpp"

#include <cstring>
#include <stdexcept>
#include <utility>

#include "platform/linux/cosmic/CosmicStateListener.hpp"
#include "platform/linux/workspace/ToplevelStates.hpp"

namespace dorvane::test {
namespace {

// The versions the companion binds.
constexpr uint32_t listVersion = 1;
constexpr uint32_t infoVersion = 2;

}  // namespace

const wl_registry_listener CosmicToplevelObserver::registryListener = {
    .global =
        [](void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
            auto& self = *static_cast<CosmicToplevelObserver*>(data);
            if (std::strcmp(interface, ext_foreign_toplevel_list_v1_interface.name) == 0) {
                self.list_.reset(static_cast<ext_foreign_toplevel_list_v1*>(wl_registry_bind(
                    registry, name, &ext_foreign_toplevel_list_v1_interface, listVersion)));
                ext_foreign_toplevel_list_v1_add_listener(self.list_.get(), &listListener, &self);
            } else if (std::strcmp(interface, zcosmic_toplevel_info_v1_interface.name) == 0) {
                self.info_.reset(static_cast<zcosmic_toplevel_info_v1*>(wl_registry_bind(
                    registry, name, &zcosmic_toplevel_info_v1_interface, infoVersion)));
                zcosmic_toplevel_info_v1_add_listener(self.info_.get(), &infoListener, &self);
            }
        },
    .global_remove = [](void*, wl_registry*, uint32_t) {},
};

const ext_foreign_toplevel_list_v1_listener CosmicToplevelObserver::listListener = {
    .toplevel =
        [](void* data, ext_foreign_toplevel_list_v1*, ext_foreign_toplevel_handle_v1* handle) {
            static_cast<CosmicToplevelObserver*>(data)->track(handle);
        },
    .finished = [](void*, ext_foreign_toplevel_list_v1*) {},
};

const ext_foreign_toplevel_handle_v1_listener CosmicToplevelObserver::toplevelListener = {
    .closed =
        [](void* data, ext_foreign_toplevel_handle_v1* handle) {
            static_cast<Toplevel*>(data)->observer->toplevels_.erase(handle);
        },
    .done = [](void*, ext_foreign_toplevel_handle_v1*) {},
    .title = [](void*, ext_foreign_toplevel_handle_v1*, const char*) {},
    .app_id = [](void*, ext_foreign_toplevel_handle_v1*, const char*) {},
    .identifier = [](void*, ext_foreign_toplevel_handle_v1*, const char*) {},
};

const zcosmic_toplevel_info_v1_listener CosmicToplevelObserver::infoListener = {
    .toplevel = [](void*, zcosmic_toplevel_info_v1*, zcosmic_toplevel_handle_v1*) {},
    .finished = [](void*, zcosmic_toplevel_info_v1*) {},
    .done = [](void* data,
               zcosmic_toplevel_info_v1*) { static_cast<CosmicToplevelObserver*>(data)->settle(); },
};

const zcosmic_toplevel_handle_v1_listener CosmicToplevelObserver::stateListener =
    cosmicStateListener([](void* data, zcosmic_toplevel_handle_v1*, wl_array* states) {
        static_cast<Toplevel*>(data)->pendingActivated =
            holdsState(*states, ZCOSMIC_TOPLEVEL_HANDLE_V1_STATE_ACTIVATED);
    });

// The globals; the toplevels, each asked for its COSMIC handle as it comes; their states.
CosmicToplevelObserver::CosmicToplevelObserver(const std::string& display)
    : display_(wl_display_connect(display.c_str())) {
    if (!display_) {
        throw std::runtime_error("cannot reach the Wayland compositor at " + display);
    }
    registry_.reset(wl_display_get_registry(display_.get()));
    wl_registry_add_listener(registry_.get(), &registryListener, this);
    wl_display_roundtrip(display_.get());
    if (!list_ || !info_) {
        throw std::runtime_error("the Wayland compositor offers no COSMIC toplevel states");
    }
    wl_display_roundtrip(display_.get());
    wl_display_roundtrip(display_.get());
    becameActivated_ = false;
}

std::string CosmicToplevelObserver::what() const {
    return "Wayland client, info's done activating a toplevel";
}

int CosmicToplevelObserver::descriptor() const {
    return wl_display_get_fd(display_.get());
}

// Stamped before reading, as the pad is when the poll wakes; readable, the descriptor does not
// keep the dispatch waiting.
std::optional<BareObserver::Clock::time_point> CosmicToplevelObserver::arrival(Clock::time_point) {
    const auto readable = Clock::now();
    if (wl_display_dispatch(display_.get()) < 0) {
        throw std::runtime_error("the bare Wayland client lost the compositor");
    }
    if (!std::exchange(becameActivated_, false)) {
        return std::nullopt;
    }
    return readable;
}

void CosmicToplevelObserver::track(ext_foreign_toplevel_handle_v1* handle) {
    auto toplevel = std::make_unique<Toplevel>(Toplevel{this, ExtToplevelHandlePtr(handle), {}});
    ext_foreign_toplevel_handle_v1_add_listener(handle, &toplevelListener, toplevel.get());
    toplevel->state.reset(zcosmic_toplevel_info_v1_get_cosmic_toplevel(info_.get(), handle));
    zcosmic_toplevel_handle_v1_add_listener(toplevel->state.get(), &stateListener, toplevel.get());
    toplevels_.emplace(handle, std::move(toplevel));
}

void CosmicToplevelObserver::settle() {
    for (auto& [handle, toplevel] : toplevels_) {
        becameActivated_ = becameActivated_ || (toplevel->pendingActivated && !toplevel->activated);
        toplevel->activated = toplevel->pendingActivated;
    }
}

}  // namespace dorvane::test
