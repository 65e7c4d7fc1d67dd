#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "support/Process.hpp"
#include "support/TempDir.hpp"
#include "testbed/SwayIpc.hpp"

namespace dorvane::test {

// The wlroots compositors a test can run; the companion reaches both through the same protocol.
enum class WlrootsCompositor { sway, labwc };

// The compositor's program, which also names it in a test's name: "sway", "labwc".
const char* programOf(WlrootsCompositor compositor);

// A private wlroots desktop for one test: sway or labwc, headless, with terminals (foot) of chosen
// app IDs. sway refuses to run as root, so both run as nobody, as do their terminals, in a runtime
// folder that nobody owns and starts in; root's clients reach it through the socket's absolute
// path. A test steers sway through its IPC socket and labwc, which has none, through the
// foreign-toplevel protocol (wlrctl). Everything it started stops when it is destroyed. Throws
// std::runtime_error when a step does not complete within a few seconds.
class WlrootsDesktop {
public:
    // What is missing for `compositor` to run here, for a test's skip; nothing when all is there.
    static std::optional<std::string> unavailable(WlrootsCompositor compositor);

    explicit WlrootsDesktop(WlrootsCompositor compositor);
    ~WlrootsDesktop();
    WlrootsDesktop(const WlrootsDesktop&) = delete;
    WlrootsDesktop& operator=(const WlrootsDesktop&) = delete;

    // WAYLAND_DISPLAY for processes that should run on this desktop, and a runtime folder of
    // their own (GTK will not use Wayland without one); DISPLAY is cleared, so that nothing falls
    // back to an X server of the test's.
    std::map<std::string, std::string> environment() const;

    // sway's IPC socket, for a benchmark that times one request alone; empty on labwc.
    const std::string& ipcSocket() const { return ipcSocket_; }

    // Opens a terminal whose app ID is `appId`, and returns once the compositor lists it.
    void startClient(const std::string& appId);

    // Focuses the window of `appId`; returns once the compositor has done it.
    void focus(const std::string& appId);

    // Leaves no window focused, and returns once none is: sway shows an empty workspace; labwc,
    // whose workspaces no client can switch, minimizes every window. focus() brings one back.
    void showNothing();

    // Ends the compositor as a crash would: its clients lose their connection.
    void kill();

private:
    void start();
    // Writes a bare configuration (no bar, no wallpaper, nothing that opens windows of its own)
    // and returns the command line that reads it.
    std::vector<std::string> compositorCommand();
    void connectToSway();
    std::string waitForSocket(const std::string& prefix, const std::string& suffix) const;
    std::unique_ptr<ChildProcess> startAsNobody(const std::vector<std::string>& command,
                                                const std::filesystem::path& log,
                                                std::map<std::string, std::string> environment);
    bool lists(const std::string& appId) const;
    void swayCommand(const std::string& command);
    // Runs `wlrctl toplevel ACTION MATCHES...`; true when it exits 0 (for `find`: a window
    // matches).
    bool wlrctl(const std::vector<std::string>& arguments) const;
    std::filesystem::path compositorLog() const;

    WlrootsCompositor compositor_;
    TempDir runtime_;
    TempDir clientRuntime_;
    std::unique_ptr<ChildProcess> compositorProcess_;
    std::string waylandSocket_;
    std::string ipcSocket_;
    std::unique_ptr<SwayIpc> ipc_;
    std::vector<std::unique_ptr<ChildProcess>> clients_;
};

}  // namespace dorvane::test
