#pragma once

#include <wayland-client.h>

#include <map>
#include <memory>
#include <string>

#include "BareObserver.hpp"
#include "wlr-foreign-toplevel-management-unstable-v1-client-protocol.h"

namespace dorvane::test {

// A bare Wayland client of a wlroots compositor's toplevel list at `display` (a socket's name or
// absolute path): a toplevel's done that closes a change making it activated, the moment the
// companion, a client of the same list, can act on it.
class ToplevelObserver : public BareObserver {
public:
    explicit ToplevelObserver(const std::string& display);
    ~ToplevelObserver() override;
    ToplevelObserver(const ToplevelObserver&) = delete;
    ToplevelObserver& operator=(const ToplevelObserver&) = delete;

    std::string what() const override;
    int descriptor() const override;
    std::optional<Clock::time_point> arrival(Clock::time_point since) override;

private:
    struct Toplevel {
        ToplevelObserver* observer;
        bool pendingActivated = false;
        bool activated = false;
    };

    static const wl_registry_listener registryListener;
    static const zwlr_foreign_toplevel_manager_v1_listener managerListener;
    static const zwlr_foreign_toplevel_handle_v1_listener toplevelListener;

    wl_display* display_;
    wl_registry* registry_ = nullptr;
    zwlr_foreign_toplevel_manager_v1* manager_ = nullptr;
    std::map<zwlr_foreign_toplevel_handle_v1*, std::unique_ptr<Toplevel>> toplevels_;
    bool becameActivated_ = false;
};

}  // namespace dorvane::test
