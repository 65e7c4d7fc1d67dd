#pragma once

// The controller among fakes of the desktop, with a real link over pseudo-terminals that a fake
// registry offers as the pad while it is "plugged in".
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/AppDelegate.hpp"
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

    std::optional<std::filesystem::path> chooseFile(const std::string& title) override {
        chooserTitles.push_back(title);
        return choice;
    }
    void showError(const std::string& message) override { alerts.push_back(message); }
};

inline const RunningApplication chrome{"com.google.Chrome", "Google Chrome"};
inline const RunningApplication chromium{"com.google.Chrome.beta", "Chrome Beta"};
inline const RunningApplication slack{"com.tinyspeck.slackmacgap", "Slack"};
inline const RunningApplication cursor{"com.todesktop.230313mzl4w4u92", "Cursor"};
inline const RunningApplication terminal{"org.gnome.Terminal", "Terminal"};

class ControllerTest : public ::testing::Test {
protected:
    TempDir folder;
    LayerMap layerMap{folder / "apps.txt"};  // no file: the built-in rules decide
    FakeRegistry registry;
    FakeWorkspace workspace;
    RecordingStatusItem statusItem;
    FakeMainLoop mainLoop;
    RecordingOpener opener;
    ScriptedDialogs dialogs;
    std::unique_ptr<Pty> pad;
    AppDelegate delegate{registry, layerMap, {workspace, statusItem, mainLoop, opener, dialogs}};

    void plugIn() {
        pad = std::make_unique<Pty>();
        registry.services = {serial(pad->slavePath(), usbDevice(0x303A, "Dorvane Pad"))};
    }
    void unplug() {
        registry.services.clear();
        pad->closeMaster();
    }
    // Everything the pad received since the last call.
    std::string received() { return pad->read(4096, 200ms); }
};

}  // namespace dorvane::test
