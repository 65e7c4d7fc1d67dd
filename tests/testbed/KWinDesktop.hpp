#pragma once

#include <gio/gio.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "support/Process.hpp"
#include "support/TempDir.hpp"
#include "testbed/DBusSession.hpp"

namespace dorvane::test {

// A private KDE Plasma desktop for one test: KWin, headless (--virtual), on the given session bus,
// with GTK windows of chosen app IDs. KWin runs as the test's own user, like the companion, which
// leaves its script in its own runtime folder for KWin to read. Everything it started stops when
// it is destroyed. Throws std::runtime_error when a step does not complete within a few seconds.
class KWinDesktop {
public:
    // Whether kwin_wayland and GTK's Python bindings are installed.
    static bool available();

    explicit KWinDesktop(const DBusSession& bus);
    ~KWinDesktop();
    KWinDesktop(const KWinDesktop&) = delete;
    KWinDesktop& operator=(const KWinDesktop&) = delete;

    // WAYLAND_DISPLAY for processes that should run on this desktop and a runtime folder of their
    // own; DISPLAY is cleared, so that nothing falls back to an X server of the test's.
    std::map<std::string, std::string> environment() const;

    // Opens a GTK window whose app ID, and title, is `appId`, and returns once KWin lists it.
    void startClient(const std::string& appId);

    // Activates the window titled `appId` from a test-only KWin script, loaded, run and unloaded
    // again; returns once KWin has run it.
    void activate(const std::string& appId);

    // Leaves no window active, as a click on the bare desktop does.
    void deactivate();

    // For timing an activation alone: loads the script that activates `appId` without running
    // it, and then sends KWin the request to run it, without waiting for KWin's answer.
    void prepareActivation(const std::string& appId);
    void requestPreparedActivation();

    // Ends KWin as a crash would: it leaves the bus, and its clients lose their connection.
    void kill();

    // Stops KWin as a hung compositor stands (SIGSTOP): it answers nothing until thawed.
    void freeze();
    void thaw();

    // Loads two idle test scripts and unloads the first, so that KWin gives the next script it
    // loads the number of the second, which stays loaded.
    void freeScriptNumberBelowLoadedScript();

    // How many scripts KWin has loaded, whatever their name: each has an object of its own.
    int loadedScripts() const;
    bool isScriptLoaded(const std::string& pluginName) const;

private:
    struct ConnectionUnref {
        void operator()(GDBusConnection* connection) const { g_object_unref(connection); }
    };

    void start(const DBusSession& bus);
    // Loads `source` as the test-only script `name`, in place of one still loaded, and returns
    // the path of its object; `purpose` names it in an error.
    std::string loadScript(const std::string& source, const std::string& purpose,
                           const std::string& name = "dorvane-test");
    void unloadScript(const std::string& name = "dorvane-test");
    // Loads `source`, runs it and unloads it again.
    void runScript(const std::string& source, const std::string& purpose);
    bool lists(const std::string& title) const;
    std::vector<std::string> childNodes(const std::string& path) const;

    TempDir program_;
    TempDir runtime_;
    TempDir clientRuntime_;
    std::unique_ptr<GDBusConnection, ConnectionUnref> connection_;
    std::unique_ptr<ChildProcess> kwin_;
    std::string preparedScript_;
    // Declared after KWin, so that they go before it.
    std::vector<std::unique_ptr<ChildProcess>> clients_;
};

}  // namespace dorvane::test
