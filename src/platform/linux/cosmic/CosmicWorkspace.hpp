#pragma once

#include <memory>
#include <optional>
#include <string>
#include <unordered_map>

#include "platform/linux/cosmic/CosmicHandles.hpp"
#include "platform/linux/glib/GLibHandles.hpp"
#include "platform/linux/workspace/BackendStart.hpp"
#include "platform/linux/workspace/BackendWorkspace.hpp"
#include "platform/linux/workspace/WaylandDisplay.hpp"

namespace dorvane {

// COSMIC's compositor as seen through its list of toplevels (ext_foreign_toplevel_list_v1) and
// their state (zcosmic_toplevel_info_v1, version 2 on): the frontmost application is the toplevel
// in the activated state, and a toplevel becoming activated is an activation; a moment with no
// toplevel activated is none, nor a toplevel that stays activated. A toplevel's app ID
// applies at its handle's done, the states of all toplevels together at the info's done.
// Events are read from the default GLib main context, so handlers run on the thread iterating it.
class CosmicWorkspace final : public BackendWorkspace {
public:
    // Connects to the compositor that WAYLAND_DISPLAY names and reads the toplevels open now.
    static BackendStart open(WorkspaceLossHandler onLost);

    ~CosmicWorkspace() override;
    CosmicWorkspace(const CosmicWorkspace&) = delete;
    CosmicWorkspace& operator=(const CosmicWorkspace&) = delete;

    // Answered from the toplevels' last known state and the resolver's cache: no round trip to
    // the compositor.
    std::optional<RunningApplication> frontmostApplication() override;

private:
    struct Toplevel;

    explicit CosmicWorkspace(WorkspaceLossHandler onLost);

    std::string connect();
    std::string missingGlobal() const;
    void bindGlobal(wl_registry* registry, const char* interface, uint32_t name, uint32_t version);
    void track(ext_foreign_toplevel_handle_v1* handle);
    void settleStates();
    void forget(Toplevel& toplevel);
    RunningApplication identityOf(const Toplevel& toplevel);
    void fail(std::string reason);

    static const wl_registry_listener registryListener;
    static const ext_foreign_toplevel_list_v1_listener listListener;
    static const ext_foreign_toplevel_handle_v1_listener toplevelListener;
    static const zcosmic_toplevel_info_v1_listener infoListener;
    static const zcosmic_toplevel_handle_v1_listener stateListener;

    std::string failure_;
    uint32_t infoVersionOffered_ = 0;
    // Declared in teardown order reversed: the toplevels go before the list and the info they
    // were made from, and those before the connection.
    WlDisplayPtr display_;
    WlRegistryPtr registry_;
    ExtToplevelListPtr list_;
    CosmicToplevelInfoPtr info_;
    std::unordered_map<ext_foreign_toplevel_handle_v1*, std::unique_ptr<Toplevel>> toplevels_;
    Toplevel* activated_ = nullptr;
    // Last member, so the loop stops calling into this object before anything else goes.
    GSourcePtr eventSource_;
};

}  // namespace dorvane
