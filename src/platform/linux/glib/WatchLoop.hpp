#pragma once

#include <ostream>
#include <string>

#include "platform/linux/glib/GLibMainLoop.hpp"

namespace dorvane {

// The loop of a diagnostic command that watches until it is interrupted: SIGINT and SIGTERM end
// it with exit code 0, from its construction on, and so does stop(); a loss ends it with one line
// and exit code 1. A write to a reader that has gone fails instead of ending the process, so that
// the watch ends through its cleanup (unloading a script it loaded into the desktop, say).
class WatchLoop {
public:
    WatchLoop();

    // Runs until the watch ends, at once when it ended before; the exit code.
    int run();
    void stop() { mainLoop_.terminate(); }
    // "dorvane: REASON" on `err`, then the end with exit code 1.
    void lose(std::ostream& err, const std::string& reason);

private:
    GLibMainLoop mainLoop_;
    int exitCode_ = 0;
};

}  // namespace dorvane
