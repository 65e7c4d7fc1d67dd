#pragma once

#include <functional>

namespace dorvane {

// The platform's main loop, as the controller needs it: a one-second tick and a way out.
class MainLoop {
public:
    virtual ~MainLoop() = default;

    // Calls `tick` every second, on the main loop, until the process ends.
    virtual void startRepeatingTimer(std::function<void()> tick) = 0;

    // Ends the main loop; the process then exits.
    virtual void terminate() = 0;
};

}  // namespace dorvane
