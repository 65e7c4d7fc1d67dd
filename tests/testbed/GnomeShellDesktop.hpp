#pragma once

#include <gio/gio.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "support/Process.hpp"
#include "support/TempDir.hpp"

namespace dorvane::test {

// A private GNOME Shell for one test: headless, Wayland only, in unsafe mode so that the test may
// focus windows through org.gnome.Shell.Eval, with GTK windows of chosen app IDs. It runs as root
// on the session bus it is given, with a system bus of its own, and in a mount namespace of its
// own where /run/systemd is empty: a seat folder without logind would make it wait for logind.
// Everything it started stops when it is destroyed. Throws std::runtime_error when a step does
// not complete within a few seconds.
class GnomeShellDesktop {
public:
    // Whether gnome-shell, Debian's Python with GTK 3, and the rights to hide /run/systemd are
    // there; without them there is no such desktop.
    static bool available();

    // Starts the shell with `home` (HOME, XDG_CONFIG_HOME, XDG_DATA_HOME...) on the session bus
    // at `sessionBus`; returns once it answers there.
    GnomeShellDesktop(const std::string& sessionBus,
                      const std::map<std::string, std::string>& home);
    ~GnomeShellDesktop();
    GnomeShellDesktop(const GnomeShellDesktop&) = delete;
    GnomeShellDesktop& operator=(const GnomeShellDesktop&) = delete;

    // WAYLAND_DISPLAY for processes that should run on this desktop; DISPLAY is cleared, so that
    // nothing falls back to an X server of the test's.
    std::map<std::string, std::string> environment() const;

    // Opens a GTK window whose app ID is `appId`, and returns once the shell lists it. New
    // windows do not take the focus.
    void startClient(const std::string& appId);

    // Focuses the window of `appId`; returns once the shell has done it.
    void activate(const std::string& appId);

    // The same request, sent without asking for an answer, as a key binding inside the shell
    // would act: for timing what follows it.
    void requestActivation(const std::string& appId);

    struct ExtensionInfo {
        double state = 0;  // 1: active, 3: error, 4: out of date, 6: never enabled; 0: unknown
        std::string error;
    };

    // What GNOME Shell says of the extension `uuid`.
    ExtensionInfo extensionInfo(const std::string& uuid);

    // Turns the extension `uuid` on, as `gnome-extensions enable` asks the shell to.
    void enableExtension(const std::string& uuid);

    // The running shell's version ("51.0").
    std::string version();

    // Evaluates JavaScript inside the shell, and returns what it printed; throws when it fails.
    std::string eval(const std::string& code);

private:
    void startSystemBus();
    void startShell(const std::map<std::string, std::string>& home);

    TempDir folder_;
    std::unique_ptr<ChildProcess> systemBus_;
    std::unique_ptr<ChildProcess> shell_;
    std::vector<std::unique_ptr<ChildProcess>> clients_;
    GDBusConnection* connection_ = nullptr;
};

}  // namespace dorvane::test
