#include "platform/linux/glib/WatchLoop.hpp"

#include <csignal>

namespace dorvane {

WatchLoop::WatchLoop() {
    std::signal(SIGPIPE, SIG_IGN);
    mainLoop_.onQuitSignals([this] { mainLoop_.terminate(); });
}

int WatchLoop::run() {
    mainLoop_.run();
    return exitCode_;
}

void WatchLoop::lose(std::ostream& err, const std::string& reason) {
    err << "dorvane: " << reason << '\n';
    exitCode_ = 1;
    mainLoop_.terminate();
}

}  // namespace dorvane
