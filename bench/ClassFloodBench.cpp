#include "ClassFloodBench.hpp"

#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>

#include "BenchFigures.hpp"
#include "testbed/X11Session.hpp"
#include "testbed/XTestClient.hpp"

namespace dorvane::test {
namespace {

using Clock = std::chrono::steady_clock;

constexpr double idleTargetMB = 40;
constexpr double marginMB = 5;
constexpr std::size_t classBytes = 4096;

// A new window of class `wmClass` (instance "flood") named active, as a window manager does; no
// window is mapped or managed, so thousands cost the desktop nothing. The one in front before it
// is destroyed.
xcb_window_t bringForward(XTestClient& client, xcb_window_t front, const std::string& wmClass) {
    const xcb_window_t window = client.newWindowId();
    client.createWindow(window, "STRING", std::string("flood") + '\0' + wmClass + '\0');
    client.setActiveWindow({window});
    if (front != XCB_WINDOW_NONE) {
        client.destroyWindow(front);
    }
    return window;
}

double residentMB(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("VmRSS:")) {
            return std::stod(line.substr(6)) / 1024.0;
        }
    }
    throw std::runtime_error("no VmRSS for the companion");
}

// The built-in rules give an ID that starts so its slot: classes of either kind in turn change
// the layer each time, so the pad's line tells that the companion has taken each class. Without
// a desktop entry the class is the ID, and its start survives any cut.
std::string madeUpClass(int index, const std::string& slot) {
    std::string wmClass = (slot == "cursor" ? "com.todesktop.flood" : "com.google.chrome.flood") +
                          std::to_string(index);
    wmClass.resize(classBytes, 'x');
    return wmClass;
}

}  // namespace

int classFlood(const std::string& binary) {
    const char* configured = std::getenv("DORVANE_CLASSES");
    const int classes = configured ? std::atoi(configured) : 10'000;
    LaunchedSession<X11Session> session(binary);
    const pid_t companion = session.companion().pid();
    const double before = residentMB(companion);
    XTestClient client(session.desktop.display());
    xcb_window_t front = XCB_WINDOW_NONE;
    const auto start = Clock::now();
    for (int i = 0; i < classes; ++i) {
        const std::string slot = i % 2 == 0 ? "cursor" : "chrome";
        front = bringForward(client, front, madeUpClass(i, slot));
        session.expect("LAYER " + slot + "\n");
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const double after = residentMB(companion);
    std::printf(
        "%d distinct %zu-byte classes in front in turn: %.1f s, companion's RSS %.1f MB before, "
        "%.1f MB after (at most %.0f MB)\n",
        classes, classBytes, seconds, before, after, idleTargetMB + marginMB);
    return after <= idleTargetMB + marginMB ? 0 : 1;
}

}  // namespace dorvane::test
