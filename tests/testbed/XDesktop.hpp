#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "support/Process.hpp"

namespace dorvane::test {

// A private X11 desktop for one test: Xvfb on a free display with openbox managing it, and X
// clients (xterm) started on it. Everything it started is stopped when it is destroyed. Throws
// std::runtime_error when a step does not complete within a few seconds.
class XDesktop {
public:
    using WindowId = std::uint32_t;

    XDesktop();
    XDesktop(const XDesktop&) = delete;
    XDesktop& operator=(const XDesktop&) = delete;

    // The display name, e.g. ":42".
    const std::string& display() const { return display_; }

    // DISPLAY for processes that should run on this desktop.
    std::map<std::string, std::string> environment() const { return {{"DISPLAY", display_}}; }

    // Starts an xterm whose WM_CLASS class is `wmClass` and whose title is `title`, and returns
    // its window once it is mapped. Titles are matched as patterns: use plain, distinct words.
    WindowId startClient(const std::string& wmClass, const std::string& title);

    // Starts `argv`, an X client of any kind, and returns its window titled `title` once mapped.
    WindowId startClient(const std::vector<std::string>& argv, const std::string& title);

    // Makes the window manager focus `window`; returns once _NET_ACTIVE_WINDOW names it.
    void activate(WindowId window);

    // The shown window titled exactly `title`, once it appears within `timeout`.
    std::optional<WindowId> waitForWindow(
        const std::string& title,
        std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;

    // Keys (xdotool's names, e.g. "ctrl+l") and text, typed as a user types them into the
    // focused window.
    void pressKeys(const std::string& keys) const;
    void typeText(const std::string& text) const;

private:
    // Ends a process with SIGTERM, so that Xvfb removes its lock file and socket.
    struct Terminate {
        void operator()(ChildProcess* process) const;
    };
    using Process = std::unique_ptr<ChildProcess, Terminate>;

    void startServer();
    bool accepts() const;
    void startWindowManager();
    bool windowManagerAnswers() const;
    int numberOfDesktops() const;
    bool setNumberOfDesktops(int desktops) const;
    std::map<std::string, std::string> ownEnvironment() const;
    CommandResult run(const std::vector<std::string>& argv) const;

    std::string display_;
    // Declared in start order: they stop in reverse, the server last.
    Process server_;
    Process windowManager_;
    std::vector<Process> clients_;
};

}  // namespace dorvane::test
