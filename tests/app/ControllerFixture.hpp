#pragma once

// The controller among fakes of the desktop, with a real link over pseudo-terminals that a fake
// registry offers as the pad while it is "plugged in".
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/AppDelegate.hpp"
#include "link/PadProtocol.hpp"
#include "support/FakeRegistry.hpp"
#include "support/Pty.hpp"
#include "support/TempDir.hpp"

namespace dorvane::test {

using namespace std::chrono_literals;

// What the pad receives first after every opening.
inline const std::string greeting = std::string(greetingLine) + "\n";

class FakeWorkspace final : public Workspace {
public:
    std::optional<RunningApplication> frontmost;

    std::optional<RunningApplication> frontmostApplication() override { return frontmost; }
    void observeActivations(ActivationHandler handler) override { handler_ = std::move(handler); }

    // The application comes to the front and the platform says so.
    void activate(const RunningApplication& app) {
        frontmost = app;
        handler_(app);
    }
    void activateUnnamed() { handler_(std::nullopt); }

private:
    ActivationHandler handler_;
};

class FakeMainLoop final : public MainLoop {
public:
    std::function<void()> onTerminate = [] {};

    void startRepeatingTimer(std::function<void()> tick) override { tick_ = std::move(tick); }
    void terminate() override { onTerminate(); }
    void fire() { tick_(); }

private:
    std::function<void()> tick_;
};

class RecordingStatusItem final : public StatusItem {
public:
    ActionHandler choose;  // the user picks a menu item
    std::vector<MenuModel> menus;

    void create(ActionHandler onAction) override { choose = std::move(onAction); }
    void show(const MenuModel& menu) override {
        EXPECT_TRUE(choose) << "the menu was rebuilt before the status item existed";
        menus.push_back(menu);
    }
};

class RecordingOpener final : public Opener {
public:
    std::vector<std::string> opened;  // addresses, and paths of files
    std::function<void()> onOpen = [] {};

    void openURL(const std::string& url) override {
        onOpen();
        opened.push_back(url);
    }
    void openFile(const std::filesystem::path& file) override {
        onOpen();
        opened.push_back(file);
    }
};

// Answers the file chooser as the test says, and records the alerts.
class ScriptedDialogs final : public Dialogs {
public:
    std::optional<std::filesystem::path> choice;
    std::vector<std::string> chooserTitles;
    std::vector<std::string> alerts;
    int dismissals = 0;
    std::function<void()> whileChoosing = [] {};  // runs inside the chooser's loop

    std::optional<std::filesystem::path> chooseFile(const std::string& title) override {
        chooserTitles.push_back(title);
        whileChoosing();
        return dismissals > 0 ? std::nullopt : choice;
    }
    void showError(const std::string& message) override { alerts.push_back(message); }
    void dismiss() override { ++dismissals; }
};

// Reports a save of the rules file when the test says one completed.
class FakeRulesWatch final : public RulesFolderWatch {
public:
    std::filesystem::path watched;
    int catchUps = 0;

    void start(const std::filesystem::path& rulesFile, ChangeHandler onChange) override {
        watched = rulesFile;
        onChange_ = std::move(onChange);
    }
    void catchUp() override { ++catchUps; }
    void saved() { onChange_(); }

private:
    ChangeHandler onChange_;
};

class RecordingNotifier final : public Notifier {
public:
    std::vector<Notification> shown;

    void notify(const Notification& notification) override { shown.push_back(notification); }
};

inline const RunningApplication chrome{"com.google.Chrome", "Google Chrome"};
inline const RunningApplication chromium{"com.google.Chrome.beta", "Chrome Beta"};
inline const RunningApplication slack{"com.tinyspeck.slackmacgap", "Slack"};
inline const RunningApplication cursor{"com.todesktop.230313mzl4w4u92", "Cursor"};
inline const RunningApplication terminal{"org.gnome.Terminal", "Terminal"};

class ControllerTest : public ::testing::Test {
protected:
    TempDir folder;
    // No file: the built-in rules decide. The fake watch reports a save at once, where a real one
    // waits for the file to settle, so the clock runs an hour ahead of every file written here.
    LayerMap layerMap{folder / "apps.txt",
                      [] { return std::chrono::system_clock::now() + std::chrono::hours(1); }};
    FakeRegistry registry;
    FakeWorkspace workspace;
    RecordingStatusItem statusItem;
    FakeMainLoop mainLoop;
    RecordingOpener opener;
    ScriptedDialogs dialogs;
    FakeRulesWatch rulesWatch;
    RecordingNotifier notifier;
    std::unique_ptr<Pty> pad;
    AppDelegate delegate{registry, layerMap, platform()};

    AppDelegate::Platform platform() {
        return {workspace, statusItem, mainLoop, opener, dialogs, rulesWatch, notifier};
    }

    void plugIn() {
        pad = std::make_unique<Pty>();
        registry.services = {serial(pad->slavePath(), usbDevice(0x303A, "Dorvane Pad"))};
    }
    void unplug() {
        registry.services.clear();
        pad->closeMaster();
    }
    // Everything the pad received since the last call. A pseudo-terminal delivers its bytes a
    // moment after write() returns, in order; a marker written behind the controller's bytes
    // therefore arrives after all of them, and the read ends there instead of after a timeout.
    std::string received() {
        std::string bytes;
        const int writer = open(pad->slavePath().c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK);
        if (writer < 0) {
            return bytes;  // unplugged: nothing can be on its way
        }
        // A pad that stopped reading leaves no room for the marker until it catches up.
        while (write(writer, &marker, 1) != 1 && errno == EAGAIN && takeWaiting(bytes)) {
        }
        close(writer);
        while (!bytes.ends_with(marker) && takeWaiting(bytes)) {
        }
        if (bytes.ends_with(marker)) {
            bytes.pop_back();
        }
        return bytes;
    }

private:
    static constexpr char marker = '\x1f';

    // Appends what the pad has received, waiting up to five seconds for the first byte.
    bool takeWaiting(std::string& bytes) {
        char buffer[65536];
        const ssize_t count =
            waitReadable(pad->masterFd(), 5s) ? ::read(pad->masterFd(), buffer, sizeof buffer) : -1;
        if (count > 0) {
            bytes.append(buffer, static_cast<std::size_t>(count));
        }
        return count > 0;
    }
};

}  // namespace dorvane::test
