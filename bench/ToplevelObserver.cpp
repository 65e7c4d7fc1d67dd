#include "ToplevelObserver.hpp"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <utility>

#include "platform/linux/workspace/ToplevelStates.hpp"

namespace dorvane::test {
namespace {

// The version the companion binds.
constexpr uint32_t managerVersion = 3;

}  // namespace

const wl_registry_listener ToplevelObserver::registryListener = {
    .global =
        [](void* data, wl_registry* registry, uint32_t name, const char* interface,
           uint32_t version) {
            auto& observer = *static_cast<ToplevelObserver*>(data);
            if (observer.manager_ == nullptr &&
                std::strcmp(interface, zwlr_foreign_toplevel_manager_v1_interface.name) == 0) {
                observer.manager_ = static_cast<zwlr_foreign_toplevel_manager_v1*>(
                    wl_registry_bind(registry, name, &zwlr_foreign_toplevel_manager_v1_interface,
                                     std::min(version, managerVersion)));
                zwlr_foreign_toplevel_manager_v1_add_listener(observer.manager_, &managerListener,
                                                              &observer);
            }
        },
    .global_remove = [](void*, wl_registry*, uint32_t) {},
};

const zwlr_foreign_toplevel_manager_v1_listener ToplevelObserver::managerListener = {
    .toplevel =
        [](void* data, zwlr_foreign_toplevel_manager_v1*, zwlr_foreign_toplevel_handle_v1* handle) {
            auto& observer = *static_cast<ToplevelObserver*>(data);
            auto& toplevel = observer.toplevels_[handle];
            toplevel = std::make_unique<Toplevel>(Toplevel{&observer});
            zwlr_foreign_toplevel_handle_v1_add_listener(handle, &toplevelListener, toplevel.get());
        },
    .finished = [](void*, zwlr_foreign_toplevel_manager_v1*) {},
};

const zwlr_foreign_toplevel_handle_v1_listener ToplevelObserver::toplevelListener = {
    .title = [](void*, zwlr_foreign_toplevel_handle_v1*, const char*) {},
    .app_id = [](void*, zwlr_foreign_toplevel_handle_v1*, const char*) {},
    .output_enter = [](void*, zwlr_foreign_toplevel_handle_v1*, wl_output*) {},
    .output_leave = [](void*, zwlr_foreign_toplevel_handle_v1*, wl_output*) {},
    .state =
        [](void* data, zwlr_foreign_toplevel_handle_v1*, wl_array* states) {
            static_cast<Toplevel*>(data)->pendingActivated =
                holdsState(*states, ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_ACTIVATED);
        },
    .done =
        [](void* data, zwlr_foreign_toplevel_handle_v1*) {
            auto& toplevel = *static_cast<Toplevel*>(data);
            if (toplevel.pendingActivated && !toplevel.activated) {
                toplevel.observer->becameActivated_ = true;
            }
            toplevel.activated = toplevel.pendingActivated;
        },
    .closed =
        [](void* data, zwlr_foreign_toplevel_handle_v1* handle) {
            static_cast<Toplevel*>(data)->observer->toplevels_.erase(handle);
            zwlr_foreign_toplevel_handle_v1_destroy(handle);
        },
    .parent = [](void*, zwlr_foreign_toplevel_handle_v1*, zwlr_foreign_toplevel_handle_v1*) {},
};

// The toplevels open now, each with its state, have come when the second round trip returns.
ToplevelObserver::ToplevelObserver(const std::string& display)
    : display_(wl_display_connect(display.c_str())) {
    if (display_ == nullptr) {
        throw std::runtime_error("cannot reach the Wayland compositor at " + display);
    }
    registry_ = wl_display_get_registry(display_);
    wl_registry_add_listener(registry_, &registryListener, this);
    wl_display_roundtrip(display_);
    if (manager_ == nullptr) {
        throw std::runtime_error("the Wayland compositor offers no toplevel list");
    }
    wl_display_roundtrip(display_);
    becameActivated_ = false;
}

ToplevelObserver::~ToplevelObserver() {
    for (const auto& [handle, toplevel] : toplevels_) {
        zwlr_foreign_toplevel_handle_v1_destroy(handle);
    }
    if (manager_ != nullptr) {
        zwlr_foreign_toplevel_manager_v1_destroy(manager_);
    }
    wl_registry_destroy(registry_);
    wl_display_disconnect(display_);
}

std::string ToplevelObserver::what() const {
    return "Wayland client, done of the activated toplevel";
}

int ToplevelObserver::descriptor() const {
    return wl_display_get_fd(display_);
}

// Stamped before reading, as the pad is when the poll wakes; readable, the descriptor does not
// keep the dispatch waiting.
std::optional<BareObserver::Clock::time_point> ToplevelObserver::arrival(Clock::time_point) {
    const auto readable = Clock::now();
    if (wl_display_dispatch(display_) < 0) {
        throw std::runtime_error("the bare Wayland client lost the compositor");
    }
    if (!std::exchange(becameActivated_, false)) {
        return std::nullopt;
    }
    return readable;
}

}  // namespace dorvane::test
