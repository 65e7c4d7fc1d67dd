#include "platform/linux/WlrWorkspace.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string_view>
#include <utility>

#include "platform/linux/WaylandDisplay.hpp"

namespace dorvane {
namespace {

// Versions above 3 may change what this client was written for.
constexpr uint32_t newestManagerVersion = 3;

// The protocol says UTF-8, but nothing checks what a client puts in its title or app ID, and
// names reach menus and D-Bus, which take nothing else.
std::optional<std::string> validText(const char* text) {
    if (text == nullptr || *text == '\0') {
        return std::nullopt;
    }
    const GCharPtr valid(g_utf8_make_valid(text, -1));
    return std::string(valid.get());
}

bool holdsActivated(const wl_array& states) {
    const auto* values = static_cast<const uint32_t*>(states.data);
    for (std::size_t i = 0; i < states.size / sizeof(uint32_t); ++i) {
        if (values[i] == ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_ACTIVATED) {
            return true;
        }
    }
    return false;
}

}  // namespace

// What the compositor last said of one toplevel; properties change together at its done.
struct ToplevelState {
    std::optional<std::string> appId;
    std::optional<std::string> title;
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

// A GLib source over the display's descriptor, with libwayland's protocol for a reader that
// shares the connection with nobody: announce the read in prepare (or dispatch what is already
// queued), read or cancel in check, dispatch the queue in dispatch.
struct WlrWorkspace::EventSource {
    GSource base;
    WlrWorkspace* workspace;
    gpointer descriptorTag;
    bool reading;

    static GSourceFuncs funcs;

    static GSourcePtr attach(WlrWorkspace& workspace);
    static gboolean prepare(GSource* source, gint* timeout);
    static gboolean check(GSource* source);
    static gboolean dispatch(GSource* source, GSourceFunc callback, gpointer userData);
    static void finalize(GSource* source);
    static void cancelRead(EventSource& source);

    static EventSource& of(GSource* source) { return *reinterpret_cast<EventSource*>(source); }
    static wl_display* displayOf(GSource* source) { return of(source).workspace->display_.get(); }
};

GSourceFuncs WlrWorkspace::EventSource::funcs = {prepare,  check,   dispatch,
                                                 finalize, nullptr, nullptr};

GSourcePtr WlrWorkspace::EventSource::attach(WlrWorkspace& workspace) {
    GSourcePtr source(g_source_new(&funcs, sizeof(EventSource)));
    EventSource& self = of(source.get());
    self.workspace = &workspace;
    self.reading = false;
    self.descriptorTag =
        g_source_add_unix_fd(source.get(), wl_display_get_fd(workspace.display_.get()),
                             static_cast<GIOCondition>(G_IO_IN | G_IO_ERR | G_IO_HUP));
    // GTK's own connection to the same compositor ends the process at once when it sees the
    // compositor go. When both have seen it, this source is checked first and ends in order.
    g_source_set_priority(source.get(), G_PRIORITY_HIGH);
    g_source_attach(source.get(), nullptr);
    return source;
}

gboolean WlrWorkspace::EventSource::prepare(GSource* source, gint* timeout) {
    *timeout = -1;
    EventSource& self = of(source);
    // GLib skips checking a source when one of higher priority is ready: a read announced then
    // is still pending, and must be withdrawn before another is announced.
    cancelRead(self);
    wl_display* display = displayOf(source);
    if (wl_display_prepare_read(display) != 0) {
        return TRUE;
    }
    self.reading = true;
    // A failed flush shows up as a failed read.
    wl_display_flush(display);
    return FALSE;
}

gboolean WlrWorkspace::EventSource::check(GSource* source) {
    EventSource& self = of(source);
    if (!self.reading) {
        return FALSE;
    }
    self.reading = false;
    const GIOCondition ready = g_source_query_unix_fd(source, self.descriptorTag);
    if ((ready & G_IO_IN) != 0) {
        // An error stays on the display, and dispatch reports it.
        wl_display_read_events(displayOf(source));
        return TRUE;
    }
    wl_display_cancel_read(displayOf(source));
    if ((ready & (G_IO_ERR | G_IO_HUP)) != 0) {
        self.workspace->fail(waylandCompositorLost);
        return TRUE;
    }
    return FALSE;
}

gboolean WlrWorkspace::EventSource::dispatch(GSource* source, GSourceFunc, gpointer) {
    WlrWorkspace& workspace = *of(source).workspace;
    if (wl_display_dispatch_pending(workspace.display_.get()) < 0) {
        workspace.fail(workspace.connectionFailure());
    }
    if (!workspace.failure_.empty()) {
        workspace.reportLoss();
        return G_SOURCE_REMOVE;
    }
    return G_SOURCE_CONTINUE;
}

void WlrWorkspace::EventSource::finalize(GSource* source) {
    cancelRead(of(source));
}

void WlrWorkspace::EventSource::cancelRead(EventSource& source) {
    if (std::exchange(source.reading, false)) {
        wl_display_cancel_read(source.workspace->display_.get());
    }
}

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
    .title =
        [](void* data, zwlr_foreign_toplevel_handle_v1*, const char* title) {
            static_cast<Toplevel*>(data)->pending.title = validText(title);
        },
    .app_id =
        [](void* data, zwlr_foreign_toplevel_handle_v1*, const char* appId) {
            static_cast<Toplevel*>(data)->pending.appId = validText(appId);
        },
    .output_enter = [](void*, zwlr_foreign_toplevel_handle_v1*, wl_output*) {},
    .output_leave = [](void*, zwlr_foreign_toplevel_handle_v1*, wl_output*) {},
    .state =
        [](void* data, zwlr_foreign_toplevel_handle_v1*, wl_array* states) {
            static_cast<Toplevel*>(data)->pending.activated = holdsActivated(*states);
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
    workspace->eventSource_ = EventSource::attach(*workspace);
    return {std::move(workspace), {}};
}

WlrWorkspace::WlrWorkspace(WorkspaceLossHandler onLost) : onLost_(std::move(onLost)) {}

WlrWorkspace::~WlrWorkspace() = default;

std::optional<RunningApplication> WlrWorkspace::frontmostApplication() {
    if (activated_ == nullptr) {
        return std::nullopt;
    }
    return identityOf(*activated_);
}

void WlrWorkspace::observeActivations(ActivationHandler handler) {
    handler_ = std::move(handler);
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
    if (wl_display_roundtrip(display_.get()) < 0) {
        return connectionFailure();
    }
    if (!manager_) {
        return "the Wayland compositor at " + waylandDisplayName() + " offers no " +
               zwlr_foreign_toplevel_manager_v1_interface.name;
    }
    // Each toplevel open now comes with its properties, ended by its done.
    if (wl_display_roundtrip(display_.get()) < 0) {
        return connectionFailure();
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
    if (becameActivated && handler_) {
        handler_(identityOf(toplevel));
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
    facts.title = toplevel.current.title;
    return resolver_.resolve(facts);
}

// The first reason given is the one reported.
void WlrWorkspace::fail(std::string reason) {
    if (failure_.empty()) {
        failure_ = std::move(reason);
    }
}

std::string WlrWorkspace::connectionFailure() const {
    wl_display* display = display_.get();
    if (wl_display_get_error(display) != EPROTO) {
        return waylandCompositorLost;
    }
    const wl_interface* interface = nullptr;
    const uint32_t code = wl_display_get_protocol_error(display, &interface, nullptr);
    return std::string("the Wayland compositor refused this client (") +
           (interface != nullptr ? interface->name : "unknown interface") + " error " +
           std::to_string(code) + ")";
}

void WlrWorkspace::reportLoss() {
    if (onLost_) {
        onLost_(failure_);
    }
}

}  // namespace dorvane
