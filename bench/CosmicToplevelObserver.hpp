#pragma once

#include <memory>
#include <string>
#include <unordered_map>

#include "BareObserver.hpp"
#include "platform/linux/cosmic/CosmicHandles.hpp"
#include "platform/linux/workspace/WaylandHandles.hpp"

namespace dorvane::test {

// A bare Wayland client of COSMIC's toplevel list and states at `display` (a socket's name or
// absolute path): a COSMIC handle for each toplevel, the activated state applied at the info's
// done, which is the moment the companion, a client of the same two protocols, can act on it. No
// desktop entries, no rules, no pad.
class CosmicToplevelObserver : public BareObserver {
public:
    explicit CosmicToplevelObserver(const std::string& display);

    std::string what() const override;
    int descriptor() const override;
    std::optional<Clock::time_point> arrival(Clock::time_point since) override;

private:
    struct Toplevel {
        CosmicToplevelObserver* observer;
        ExtToplevelHandlePtr handle;
        // After the handle it extends, so that it goes first.
        CosmicToplevelHandlePtr state;
        bool pendingActivated = false;
        bool activated = false;
    };

    static const wl_registry_listener registryListener;
    static const ext_foreign_toplevel_list_v1_listener listListener;
    static const ext_foreign_toplevel_handle_v1_listener toplevelListener;
    static const zcosmic_toplevel_info_v1_listener infoListener;
    static const zcosmic_toplevel_handle_v1_listener stateListener;

    void track(ext_foreign_toplevel_handle_v1* handle);
    void settle();

    // In teardown order reversed, as the companion's.
    WlDisplayPtr display_;
    WlRegistryPtr registry_;
    ExtToplevelListPtr list_;
    CosmicToplevelInfoPtr info_;
    std::unordered_map<ext_foreign_toplevel_handle_v1*, std::unique_ptr<Toplevel>> toplevels_;
    bool becameActivated_ = false;
};

}  // namespace dorvane::test
