#pragma once

#include <glib.h>

#include <array>
#include <csignal>
#include <functional>
#include <vector>

#include "app/MainLoop.hpp"
#include "platform/linux/glib/GLibHandles.hpp"

namespace dorvane {

// The signals that ask for a clean end: whatever was loaded into the desktop is unloaded first.
inline constexpr std::array quitSignals = {SIGINT, SIGTERM};

// GLib's main loop on the default context. Every source it adds is removed when it is
// destroyed, so no callback outlives the objects it calls into.
class GLibMainLoop final : public MainLoop {
public:
    GLibMainLoop();
    ~GLibMainLoop() override;
    GLibMainLoop(const GLibMainLoop&) = delete;
    GLibMainLoop& operator=(const GLibMainLoop&) = delete;

    // g_timeout_add_seconds lets the system batch this wake-up with others.
    void startRepeatingTimer(std::function<void()> tick) override;
    // Also before run(), which then returns at once.
    void terminate() override;
    bool terminated() const { return terminated_; }

    // Calls `handler` on the default context when one of the quit signals arrives, from now on:
    // installed before anything is opened, neither signal ends the process without cleanup.
    void onQuitSignals(std::function<void()> handler);

    // Returns after terminate(), at once when it came first.
    void run();

private:
    GMainLoop* loop_;
    bool terminated_ = false;
    std::function<void()> tick_;
    std::function<void()> signalHandler_;
    std::vector<guint> sources_;
};

// Notes that a quit signal arrived while it lived, for a wait that runs the default context before
// the main loop does and must end on one. A handler installed by GLibMainLoop hears it too.
class QuitSignalWatch {
public:
    QuitSignalWatch();
    QuitSignalWatch(const QuitSignalWatch&) = delete;
    QuitSignalWatch& operator=(const QuitSignalWatch&) = delete;

    bool arrived() const { return arrived_; }

private:
    bool arrived_ = false;
    std::vector<GSourcePtr> sources_;
};

}  // namespace dorvane
