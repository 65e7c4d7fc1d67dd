#pragma once

#include <functional>

namespace dorvane {

// The platform owns the loop that every event arrives on; the controller only needs a pulse and a
// way out of it.
class MainLoop {
public:
    virtual ~MainLoop() = default;

    // Every second until the process ends. The tick catches what not every platform announces:
    // a pad plugged in, a dead port, a rules file saved, an activation missed.
    virtual void startRepeatingTimer(std::function<void()> tick) = 0;

    // Ends the loop, and with it the process: the companion keeps nothing that needs saving.
    virtual void terminate() = 0;
};

}  // namespace dorvane
