#pragma once

#include <glib.h>

#include <functional>
#include <initializer_list>
#include <vector>

#include "app/MainLoop.hpp"

namespace dorvane {

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
    void terminate() override;

    // Calls `handler` on the main loop when one of the signals arrives.
    void onSignals(std::initializer_list<int> signals, std::function<void()> handler);

    // Runs until terminate().
    void run();

private:
    GMainLoop* loop_;
    std::function<void()> tick_;
    std::function<void()> signalHandler_;
    std::vector<guint> sources_;
};

}  // namespace dorvane
