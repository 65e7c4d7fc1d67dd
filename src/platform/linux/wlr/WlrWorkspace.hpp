#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>

#include "platform/linux/glib/GLibHandles.hpp"
#include "platform/linux/wlr/WlrHandles.hpp"
#include "platform/linux/workspace/BackendStart.hpp"
#include "platform/linux/workspace/BackendWorkspace.hpp"
#include "platform/linux/workspace/WorkspaceLossHandler.hpp"

namespace dorvane {

// A wlroots compositor (sway, Hyprland, niri, river, labwc, wayfire) as seen through its list of
// toplevels (zwlr_foreign_toplevel_manager_v1): the frontmost application is the toplevel in the
// activated state, and a toplevel becoming activated is an activation; a moment with no toplevel
// activated (focus on the desktop, or between two windows) is not delivered. Events are read from
// the default GLib main context, so handlers run on the thread iterating it.
class WlrWorkspace final : public BackendWorkspace {
public:
    // Connects to the compositor that WAYLAND_DISPLAY names and reads the toplevels open now.
    static BackendStart open(WorkspaceLossHandler onLost);

    ~WlrWorkspace() override;
    WlrWorkspace(const WlrWorkspace&) = delete;
    WlrWorkspace& operator=(const WlrWorkspace&) = delete;

    // Answered from the toplevels' last known state and the resolver's cache: no round trip to
    // the compositor.
    std::optional<RunningApplication> frontmostApplication() override;

private:
    struct Toplevel;

    explicit WlrWorkspace(WorkspaceLossHandler onLost);

    std::string connect();
    void bindManager(wl_registry* registry, uint32_t name, uint32_t version);
    void track(zwlr_foreign_toplevel_handle_v1* handle);
    void settle(Toplevel& toplevel);
    void forget(Toplevel& toplevel);
    RunningApplication identityOf(const Toplevel& toplevel);
    void fail(std::string reason);

    static const wl_registry_listener registryListener;
    static const zwlr_foreign_toplevel_manager_v1_listener managerListener;
    static const zwlr_foreign_toplevel_handle_v1_listener toplevelListener;

    std::string failure_;
    // Declared in teardown order reversed: the toplevels and the manager go before the
    // connection they were made on.
    WlDisplayPtr display_;
    WlRegistryPtr registry_;
    WlrToplevelManagerPtr manager_;
    std::unordered_map<zwlr_foreign_toplevel_handle_v1*, std::unique_ptr<Toplevel>> toplevels_;
    Toplevel* activated_ = nullptr;
    // Last member, so the loop stops calling into this object before anything else goes.
    GSourcePtr eventSource_;
};

}  // namespace dorvane
