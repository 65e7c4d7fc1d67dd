#include "CosmicBench.hpp"

#include <poll.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <stdexcept>
#include <thread>
#include <unordered_map>
#include <utility>
#include <vector>

#include "BenchFigures.hpp"
#include "platform/linux/cosmic/CosmicHandles.hpp"
#include "platform/linux/wlr/WlrHandles.hpp"
#include "testbed/CosmicSession.hpp"

namespace dorvane::test {
namespace {

using Clock = std::chrono::steady_clock;
constexpr int switches = 100;
constexpr int patienceMilliseconds = 5000;

// What any observer of COSMIC's activations does at the least: the toplevel list, a COSMIC
// handle for each toplevel, and the activated state applied at the info's done. No desktop
// entries, no rules, no pad.
class BareObserver {
public:
    explicit BareObserver(const std::string& socket)
        : display_(wl_display_connect(socket.c_str())) {
        if (!display_) {
            throw std::runtime_error("the bare client cannot connect to " + socket);
        }
        registry_.reset(wl_display_get_registry(display_.get()));
        wl_registry_add_listener(registry_.get(), &registryListener, this);
        // The globals; the toplevels; their states.
        for (int answer = 0; answer < 3; ++answer) {
            wl_display_roundtrip(display_.get());
        }
        if (!list_ || !info_) {
            throw std::runtime_error("the stand-in offers the bare client nothing to observe");
        }
    }

    int descriptor() const { return wl_display_get_fd(display_.get()); }

    // Takes in what the stand-in has sent so far, as no activation to time.
    void catchUp() {
        wl_display_roundtrip(display_.get());
        activated_ = false;
    }

    // Reads what the descriptor, readable now, holds; true when it brought a batch that
    // activated a toplevel.
    bool activationRead() {
        while (wl_display_prepare_read(display_.get()) != 0) {
            wl_display_dispatch_pending(display_.get());
        }
        if (wl_display_read_events(display_.get()) != 0 ||
            wl_display_dispatch_pending(display_.get()) < 0) {
            throw std::runtime_error("the bare client lost the stand-in");
        }
        return std::exchange(activated_, false);
    }

private:
    struct Toplevel {
        BareObserver* observer;
        ExtToplevelHandlePtr handle;
        CosmicToplevelHandlePtr state;
        bool pending = false;
        bool activated = false;
    };

    static const wl_registry_listener registryListener;
    static const ext_foreign_toplevel_list_v1_listener listListener;
    static const ext_foreign_toplevel_handle_v1_listener toplevelListener;
    static const zcosmic_toplevel_info_v1_listener infoListener;
    static const zcosmic_toplevel_handle_v1_listener stateListener;

    void track(ext_foreign_toplevel_handle_v1* handle) {
        auto toplevel =
            std::make_unique<Toplevel>(Toplevel{this, ExtToplevelHandlePtr(handle), {}});
        ext_foreign_toplevel_handle_v1_add_listener(handle, &toplevelListener, toplevel.get());
        toplevel->state.reset(zcosmic_toplevel_info_v1_get_cosmic_toplevel(info_.get(), handle));
        zcosmic_toplevel_handle_v1_add_listener(toplevel->state.get(), &stateListener,
                                                toplevel.get());
        toplevels_.emplace(handle, std::move(toplevel));
    }

    void settle() {
        for (auto& [handle, toplevel] : toplevels_) {
            activated_ = activated_ || (toplevel->pending && !toplevel->activated);
            toplevel->activated = toplevel->pending;
        }
    }

    WlDisplayPtr display_;
    WlRegistryPtr registry_;
    ExtToplevelListPtr list_;
    CosmicToplevelInfoPtr info_;
    std::unordered_map<ext_foreign_toplevel_handle_v1*, std::unique_ptr<Toplevel>> toplevels_;
    bool activated_ = false;
};

const wl_registry_listener BareObserver::registryListener = {
    .global =
        [](void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
            auto& self = *static_cast<BareObserver*>(data);
            if (std::strcmp(interface, ext_foreign_toplevel_list_v1_interface.name) == 0) {
                self.list_.reset(static_cast<ext_foreign_toplevel_list_v1*>(
                    wl_registry_bind(registry, name, &ext_foreign_toplevel_list_v1_interface, 1)));
                ext_foreign_toplevel_list_v1_add_listener(self.list_.get(), &listListener, &self);
            } else if (std::strcmp(interface, zcosmic_toplevel_info_v1_interface.name) == 0) {
                self.info_.reset(static_cast<zcosmic_toplevel_info_v1*>(
                    wl_registry_bind(registry, name, &zcosmic_toplevel_info_v1_interface, 2)));
                zcosmic_toplevel_info_v1_add_listener(self.info_.get(), &infoListener, &self);
            }
        },
    .global_remove = [](void*, wl_registry*, uint32_t) {},
};

const ext_foreign_toplevel_list_v1_listener BareObserver::listListener = {
    .toplevel =
        [](void* data, ext_foreign_toplevel_list_v1*, ext_foreign_toplevel_handle_v1* handle) {
            static_cast<BareObserver*>(data)->track(handle);
        },
    .finished = [](void*, ext_foreign_toplevel_list_v1*) {},
};

const ext_foreign_toplevel_handle_v1_listener BareObserver::toplevelListener = {
    .closed =
        [](void* data, ext_foreign_toplevel_handle_v1* handle) {
            static_cast<Toplevel*>(data)->observer->toplevels_.erase(handle);
        },
    .done = [](void*, ext_foreign_toplevel_handle_v1*) {},
    .title = [](void*, ext_foreign_toplevel_handle_v1*, const char*) {},
    .app_id = [](void*, ext_foreign_toplevel_handle_v1*, const char*) {},
    .identifier = [](void*, ext_foreign_toplevel_handle_v1*, const char*) {},
};

const zcosmic_toplevel_info_v1_listener BareObserver::infoListener = {
    .toplevel = [](void*, zcosmic_toplevel_info_v1*, zcosmic_toplevel_handle_v1*) {},
    .finished = [](void*, zcosmic_toplevel_info_v1*) {},
    .done = [](void* data,
               zcosmic_toplevel_info_v1*) { static_cast<BareObserver*>(data)->settle(); },
};

const zcosmic_toplevel_handle_v1_listener BareObserver::stateListener = {
    .closed = [](void*, zcosmic_toplevel_handle_v1*) {},
    .done = [](void*, zcosmic_toplevel_handle_v1*) {},
    .title = [](void*, zcosmic_toplevel_handle_v1*, const char*) {},
    .app_id = [](void*, zcosmic_toplevel_handle_v1*, const char*) {},
    .output_enter = [](void*, zcosmic_toplevel_handle_v1*, wl_output*) {},
    .output_leave = [](void*, zcosmic_toplevel_handle_v1*, wl_output*) {},
    .workspace_enter = [](void*, zcosmic_toplevel_handle_v1*, zcosmic_workspace_handle_v1*) {},
    .workspace_leave = [](void*, zcosmic_toplevel_handle_v1*, zcosmic_workspace_handle_v1*) {},
    .state =
        [](void* data, zcosmic_toplevel_handle_v1*, wl_array* states) {
            const auto* values = static_cast<const uint32_t*>(states->data);
            auto& toplevel = *static_cast<Toplevel*>(data);
            toplevel.pending = false;
            for (std::size_t i = 0; i < states->size / sizeof(uint32_t); ++i) {
                toplevel.pending =
                    toplevel.pending || values[i] == ZCOSMIC_TOPLEVEL_HANDLE_V1_STATE_ACTIVATED;
            }
        },
    .geometry = [](void*, zcosmic_toplevel_handle_v1*, wl_output*, int32_t, int32_t, int32_t,
                   int32_t) {},
    .ext_workspace_enter = [](void*, zcosmic_toplevel_handle_v1*, ext_workspace_handle_v1*) {},
    .ext_workspace_leave = [](void*, zcosmic_toplevel_handle_v1*, ext_workspace_handle_v1*) {},
};

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// One switch, timed from the moment the request is on the stand-in's socket, as a key binding
// would make it: until the bare client has read the batch, and until the pad's line is readable.
// Both ends are watched at once, so that neither waits on the other.
std::pair<double, double> timeSwitch(CosmicSession& session, BareObserver& bare,
                                     const char* appId) {
    std::optional<double> companion;
    std::optional<double> observed;
    const auto start = Clock::now();
    session.desktop.requestFocus(appId);
    while (!companion || !observed) {
        pollfd readable[] = {{companion ? -1 : session.pad(), POLLIN, 0},
                             {observed ? -1 : bare.descriptor(), POLLIN, 0}};
        if (poll(readable, 2, patienceMilliseconds) <= 0) {
            throw std::runtime_error(std::string("no activation of ") + appId + " was seen");
        }
        if ((readable[0].revents & POLLIN) != 0) {
            companion = millisecondsSince(start);
        }
        if ((readable[1].revents & POLLIN) != 0 && bare.activationRead()) {
            observed = millisecondsSince(start);
        }
    }
    session.desktop.awaitAnswer();
    return {*companion, *observed};
}

void printFigures(const char* who, const std::vector<double>& milliseconds) {
    std::printf("; %s p50 %.2f ms, p99 %.2f ms", who, percentile(milliseconds, 0.5),
                percentile(milliseconds, 0.99));
}

int latency(const std::string& binary) {
    CosmicSession session;
    // Connected before the companion, so that the stand-in writes each batch to it first: what
    // that order weighs, it weighs against the companion.
    BareObserver bare(session.desktop.environment().at("WAYLAND_DISPLAY"));
    session.launch(binary, CosmicSession::chrome);
    expectOnPad(session, "OS linux\nLAYER chrome\n");
    bare.catchUp();
    std::vector<double> companion;
    std::vector<double> observed;
    std::vector<double> overhead;
    for (int i = 0; i < switches; ++i) {
        const bool toSlack = i % 2 == 0;
        const auto [layer, batch] =
            timeSwitch(session, bare, toSlack ? CosmicSession::slack : CosmicSession::chrome);
        expectOnPad(session, toSlack ? "LAYER slack\n" : "LAYER chrome\n");
        companion.push_back(layer);
        observed.push_back(batch);
        overhead.push_back(layer - batch);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    std::printf("COSMIC stand-in: activation request, %d switches", switches);
    printFigures("companion -> LAYER line readable", companion);
    printFigures("bare client -> activating batch read", observed);
    printFigures("difference (the companion's own share, per switch)", overhead);
    std::printf("\n");
    return 0;
}

}  // namespace

bool isCosmicMode(const std::string& mode) {
    return mode == "cosmic-latency";
}

int runCosmicMode(const std::string&, const std::string& binary) {
    return latency(binary);
}

}  // namespace dorvane::test
