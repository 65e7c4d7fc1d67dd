#pragma once

#include <map>
#include <memory>
#include <string>

#include "support/Process.hpp"
#include "support/TempDir.hpp"

namespace dorvane::test {

// A private stand-in for COSMIC's compositor for one test (cosmic_stand_in): it lists toplevels
// of chosen app IDs and gives their states as COSMIC does, showing no window. Each step returns
// once the stand-in has sent its clients what it caused. It stops when destroyed. Throws
// std::runtime_error when a step does not complete within a few seconds.
class CosmicDesktop {
public:
    // The version the stand-in offers COSMIC's toplevel info at; 0 offers none.
    static constexpr int newestInfoVersion = 3;

    explicit CosmicDesktop(int infoVersion = newestInfoVersion);
    ~CosmicDesktop();
    CosmicDesktop(const CosmicDesktop&) = delete;
    CosmicDesktop& operator=(const CosmicDesktop&) = delete;

    // WAYLAND_DISPLAY (the socket's absolute path) and the runtime folder for processes that
    // should run on this desktop; DISPLAY is cleared, so that nothing falls back to an X server.
    std::map<std::string, std::string> environment() const;

    // Maps a toplevel whose app ID is `appId`.
    void open(const std::string& appId);

    // Activates the toplevel of `appId`, the one activated before losing the state in the same
    // batch; one activated already is sent its state again.
    void focus(const std::string& appId);

    // Sends focus(appId)'s request and returns at once, for a benchmark that times what follows;
    // awaitAnswer() then returns once the stand-in has done it.
    void requestFocus(const std::string& appId);
    void awaitAnswer();

    // Leaves no toplevel activated.
    void showNothing();

    // Unmaps the toplevel of `appId`.
    void close(const std::string& appId);

    // The compositor goes away: its clients' connections end. Returns once it has.
    void goAway();

private:
    void command(const std::string& line);
    void send(const std::string& line);

    std::string sent_;  // the request awaiting its answer

    TempDir runtime_;
    std::unique_ptr<ChildProcess> standIn_;
    int control_ = -1;
};

}  // namespace dorvane::test
