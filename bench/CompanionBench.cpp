// The companion as a desktop runs it: the real binary on Xvfb + openbox with an emulated pad.
//   companion_bench latency BINARY   activation request → LAYER line on the pad, 100 switches,
//                                    beside a bare xcb client of _NET_ACTIVE_WINDOW
//   companion_bench idle BINARY      CPU time, wake-ups and memory over 60 s with the pad open
//   companion_bench idle-tray BINARY the same with a tray host (xfce4-panel) showing its item
//   companion_bench idle-xembed BINARY the same with only an XEmbed tray (trayer or stalonetray)
//   companion_bench replug BINARY    100 unplugs and replugs of the pad with Slack in front
//   companion_bench rules-save BINARY a saved rules change → LAYER line on the pad, 20 saves
//   companion_bench class-flood BINARY memory after 10,000 windows of made-up classes in front
//   companion_bench sway-latency|sway-idle BINARY  the same figures on headless sway (SwayBench)
//   companion_bench kwin-latency BINARY  the latency on headless KWin (KWinBench)
//   companion_bench gnome-latency BINARY  the latency on headless GNOME Shell (GnomeShellBench)
//   companion_bench cosmic-latency BINARY  the latency on the COSMIC stand-in, beside a bare
//                                          client's (CosmicBench)
// DORVANE_IDLE_SECONDS shortens the idle run, DORVANE_REPLUGS the replug soak.
#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <map>
#include <optional>
#include <random>
#include <thread>

#include "BenchFigures.hpp"
#include "ClassFloodBench.hpp"
#include "CosmicBench.hpp"
#include "GnomeShellBench.hpp"
#include "IdleBench.hpp"
#include "KWinBench.hpp"
#include "RulesSaveBench.hpp"
#include "SwayBench.hpp"
#include "XActiveWindowObserver.hpp"
#include "testbed/X11Session.hpp"

namespace dorvane::test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// A pager's request to focus a window, as xdotool sends it, without xdotool's own start-up.
class ActivationRequester {
public:
    explicit ActivationRequester(const std::string& display)
        : connection_(xcb_connect(display.c_str(), nullptr)) {
        root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
        const std::string name = "_NET_ACTIVE_WINDOW";
        auto* reply = xcb_intern_atom_reply(
            connection_, xcb_intern_atom(connection_, 0, name.size(), name.c_str()), nullptr);
        activeWindow_ = reply->atom;
        free(reply);
    }
    ~ActivationRequester() { xcb_disconnect(connection_); }

    void activate(xcb_window_t window) {
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = window;
        message.type = activeWindow_;
        message.data.data32[0] = 2;  // source: a pager
        xcb_send_event(connection_, 0, root_,
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&message));
        xcb_flush(connection_);
    }

private:
    xcb_connection_t* connection_;
    xcb_window_t root_ = 0;
    xcb_atom_t activeWindow_ = 0;
};

using Session = LaunchedSession<X11Session>;

int environmentNumber(const char* name, int otherwise) {
    const char* configured = std::getenv(name);
    return configured ? std::atoi(configured) : otherwise;
}

int latency(const std::string& binary) {
    Session session(binary);
    ActivationRequester requester(session.desktop.display());
    XActiveWindowObserver bare(session.desktop.display());
    reportSwitchLatency(
        "X11: activation request", session.pad(), session.companion().pid(), bare,
        [&](bool toSlack) { requester.activate(toSlack ? session.slack : session.chrome); },
        [&](const std::string& line) { session.expect(line); });
    return 0;
}

// What one replug brought within the time allowed.
struct Replug {
    bool greeted = false;
    std::optional<double> layerMilliseconds;
};

// The pad stays `stay` longer first: pulled as soon as the last replug was judged, it would go
// at much the same point of the companion's one-second tick every time, not at a random one as
// a hand pulls it.
Replug replugOnce(Session& session, std::chrono::milliseconds stay, std::chrono::milliseconds gap) {
    constexpr auto allowed = 3s;
    std::this_thread::sleep_for(stay);
    session.unplugPad();
    std::this_thread::sleep_for(gap);
    // Timed from before the plug-in: the companion may act on udev's first announcement before
    // the last one is made.
    const auto pluggedIn = Clock::now();
    session.plugPadBackIn();
    const auto left = [&] {
        return std::chrono::duration_cast<std::chrono::milliseconds>(pluggedIn + allowed -
                                                                     Clock::now());
    };
    Replug replug;
    replug.greeted = session.padEventuallyReceives("OS linux\n", allowed);
    if (replug.greeted && session.padEventuallyReceives("LAYER slack\n", left())) {
        replug.layerMilliseconds =
            std::chrono::duration<double, std::milli>(Clock::now() - pluggedIn).count();
    }
    return replug;
}

// The pad pulled and plugged back in after a random 0.2 to 1.5 s, again and again, under the
// running companion, each time announced by uevents as udev announces it: each replug must bring
// the greeting and then the slot of the application in front, Slack's, which is not the pad's own
// default.
int replugSoak(const std::string& binary) {
    const int replugs = environmentNumber("DORVANE_REPLUGS", 100);
    Session session(binary);
    session.desktop.activate(session.slack);
    session.expect("LAYER slack\n");
    const auto descriptorsBefore = session.companionDescriptors().size();
    std::mt19937 random(2024);  // the same gaps on every run, so runs compare
    std::uniform_int_distribution<int> stayMilliseconds(0, 1000);
    std::uniform_int_distribution<int> gapMilliseconds(200, 1500);
    int greetedOnly = 0;
    std::vector<double> layerMilliseconds;
    for (int i = 0; i < replugs; ++i) {
        const auto stay = std::chrono::milliseconds(stayMilliseconds(random));
        const auto replug =
            replugOnce(session, stay, std::chrono::milliseconds(gapMilliseconds(random)));
        if (replug.layerMilliseconds) {
            layerMilliseconds.push_back(*replug.layerMilliseconds);
        } else if (replug.greeted) {
            ++greetedOnly;
        }
    }
    std::printf(
        "replug soak, %d replugs 0.2-1.5 s apart, announced by uevents: greeting + LAYER slack "
        "within 3 s %zu of %d "
        "(greeting alone %d)",
        replugs, layerMilliseconds.size(), replugs, greetedOnly);
    if (!layerMilliseconds.empty()) {
        std::printf("; replug -> LAYER p50 %.0f ms, max %.0f ms",
                    percentile(layerMilliseconds, 0.5), percentile(layerMilliseconds, 1.0));
    }
    std::printf("; companion's open descriptors %zu at the start, %zu at the end\n",
                descriptorsBefore, session.companionDescriptors().size());
    return 0;
}

}  // namespace

}  // namespace dorvane::test

int main(int argc, char** argv) {
    const std::string mode = argc == 3 ? argv[1] : "";
    const std::map<std::string, dorvane::test::IdleTray> idleModes = {
        {"idle", dorvane::test::IdleTray::none},
        {"idle-tray", dorvane::test::IdleTray::statusNotifierHost},
        {"idle-xembed", dorvane::test::IdleTray::xembedOnly}};
    if (mode != "latency" && !idleModes.contains(mode) && mode != "replug" &&
        mode != "rules-save" && mode != "class-flood" && !dorvane::test::isSwayMode(mode) &&
        !dorvane::test::isKWinMode(mode) && !dorvane::test::isGnomeShellMode(mode) &&
        !dorvane::test::isCosmicMode(mode)) {
        std::cerr << "usage: companion_bench latency|idle|idle-tray|idle-xembed|replug|rules-save|"
                     "class-flood|sway-latency|sway-idle|kwin-latency|gnome-latency|cosmic-latency "
                     "BINARY\n";
        return 2;
    }
    try {
        if (dorvane::test::isSwayMode(mode)) {
            return dorvane::test::runSwayMode(mode, argv[2]);
        }
        if (dorvane::test::isKWinMode(mode)) {
            return dorvane::test::runKWinMode(mode, argv[2]);
        }
        if (dorvane::test::isGnomeShellMode(mode)) {
            return dorvane::test::runGnomeShellMode(mode, argv[2]);
        }
        if (dorvane::test::isCosmicMode(mode)) {
            return dorvane::test::runCosmicMode(mode, argv[2]);
        }
        if (mode == "latency") {
            return dorvane::test::latency(argv[2]);
        }
        if (mode == "replug") {
            return dorvane::test::replugSoak(argv[2]);
        }
        if (mode == "rules-save") {
            return dorvane::test::rulesSave(argv[2]);
        }
        if (mode == "class-flood") {
            return dorvane::test::classFlood(argv[2]);
        }
        return dorvane::test::idleBench(argv[2], idleModes.at(mode));
    } catch (const std::exception& error) {
        std::cerr << "companion_bench: " << error.what() << '\n';
        return 1;
    }
}
