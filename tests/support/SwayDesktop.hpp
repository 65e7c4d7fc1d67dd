#pragma once

#include <map>
#include <memory>
#include <string>

#include "support/Process.hpp"
#include "support/SwayIpc.hpp"
#include "support/TempDir.hpp"

namespace dorvane::test {

// A private wlroots desktop for one test: sway, headless, with terminals (foot) of chosen app
// IDs. sway refuses to run as root, so it runs as nobody, in a runtime folder that nobody owns;
// root's clients reach it through the socket's absolute path. Everything it started stops when
// it is destroyed. Throws std::runtime_error when a step does not complete within a few seconds.
class SwayDesktop {
public:
    // Whether sway and foot are installed; without them there is no such desktop.
    static bool available();

    SwayDesktop();
    ~SwayDesktop();
    SwayDesktop(const SwayDesktop&) = delete;
    SwayDesktop& operator=(const SwayDesktop&) = delete;

    // WAYLAND_DISPLAY for processes that should run on this desktop, and a runtime folder of
    // their own (GTK will not use Wayland without one); DISPLAY is cleared, so that nothing falls
    // back to an X server of the test's.
    std::map<std::string, std::string> environment() const;

    const std::string& ipcSocket() const { return ipcSocket_; }

    // Opens a terminal whose app ID is `appId`, and returns once sway lists it (focused: sway
    // focuses new windows).
    void startClient(const std::string& appId);

    // Focuses the window of `appId`; returns once sway has done it.
    void focus(const std::string& appId);

    // Runs a sway command, and throws when sway refuses it.
    void command(const std::string& command);

    // Ends sway as a crash would: its clients lose their connection.
    void kill();

private:
    void start();
    std::string waitForSocket(const std::string& prefix, const std::string& suffix) const;

    TempDir runtime_;
    TempDir clientRuntime_;
    std::unique_ptr<ChildProcess> sway_;
    std::string waylandSocket_;
    std::string ipcSocket_;
    std::unique_ptr<SwayIpc> ipc_;
};

}  // namespace dorvane::test
