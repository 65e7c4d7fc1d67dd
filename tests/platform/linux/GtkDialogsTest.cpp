// The GTK alert and file chooser, answered on a private X11 desktop while their loop runs, and
// GIO's opening of addresses and files with the default applications.
#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

#include "platform/linux/desktop/GioOpener.hpp"
#include "platform/linux/desktop/GtkDialogs.hpp"
#include "platform/linux/glib/GLibHandles.hpp"
#include "support/Eventually.hpp"
#include "support/TempDir.hpp"
#include "testbed/DBusSession.hpp"
#include "testbed/DesktopData.hpp"
#include "testbed/XDesktop.hpp"

extern "C" const char* __lsan_default_options() {
    return "print_suppressions=0:suppressions=" DORVANE_SOURCE_DIR
           "/tests/platform/linux/GtkDialogsTest.supp";
}

// GLib's allocations are made through g_malloc, whose frame alone the fast unwinder sees: a leak
// inside GTK is told by the library only on a full stack.
extern "C" const char* __asan_default_options() {
    return "fast_unwind_on_malloc=0";
}

namespace dorvane {
namespace {

using namespace std::chrono_literals;
using test::DBusSession;
using test::eventually;
using test::installRecordingHandler;
using test::linkSystemDataForGtk;
using test::readFile;
using test::TempDir;
using test::writeFile;
using test::XDesktop;

constexpr auto launchTimeout = 10s;
constexpr guint tickMilliseconds = 100;
constexpr int ticksBeforeAnswering = 3;
// The window manager may take a while to map and focus a window under the sanitizers.
constexpr int ticksBeforeGivingUp = 100;

// One desktop for the whole process: GTK opens its display once and keeps it. GIO reads the XDG
// variables once too, so they are set here, before the first GIO call. The only application GIO
// finds is a recorder that writes the argument it was launched with to a file.
class GtkDesktop : public testing::Environment {
public:
    void SetUp() override {
        root_ = std::make_unique<TempDir>();
        installRecordingHandler(*root_ / "data", *root_ / "config", recordFile());
        std::filesystem::create_directories(scratch());
        // The dialogs need none of the system's desktop entries.
        linkSystemDataForGtk(*root_ / "system");
        setenv("XDG_DATA_HOME", (*root_ / "data").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (*root_ / "config").c_str(), 1);
        setenv("XDG_DATA_DIRS", (*root_ / "system").c_str(), 1);
        setenv("GSETTINGS_BACKEND", "memory", 1);
        setenv("NO_AT_BRIDGE", "1", 1);
        // GIO announces each launch on the session bus, and would start one to do so.
        bus_ = std::make_unique<DBusSession>();
        setenv("DBUS_SESSION_BUS_ADDRESS", bus_->address().c_str(), 1);
        desktop_ = std::make_unique<XDesktop>();
        setenv("DISPLAY", desktop_->display().c_str(), 1);
        otherApplication_ = desktop_->startClient("Editor", "editorwin");
        ASSERT_TRUE(gtk_init_check(nullptr, nullptr));
    }

    void TearDown() override {
        desktop_.reset();
        bus_.reset();
        root_.reset();
    }

    // Puts another application in front, as it is when a menu action runs.
    void activateOtherApplication() { desktop_->activate(otherApplication_); }

    std::filesystem::path recordFile() const { return *root_ / "record"; }
    std::filesystem::path scratch() const { return *root_ / "scratch"; }

private:
    std::unique_ptr<TempDir> root_;
    std::unique_ptr<DBusSession> bus_;
    std::unique_ptr<XDesktop> desktop_;
    XDesktop::WindowId otherApplication_ = 0;
};

GtkDesktop* const gtkDesktop =
    static_cast<GtkDesktop*>(testing::AddGlobalTestEnvironment(new GtkDesktop));

struct GListDeleter {
    void operator()(GList* list) const { g_list_free(list); }
};

// The first visible toplevel window of `type`, if any.
GtkWindow* findToplevel(GType type) {
    const std::unique_ptr<GList, GListDeleter> toplevels(gtk_window_list_toplevels());
    for (GList* item = toplevels.get(); item != nullptr; item = item->next) {
        if (G_TYPE_CHECK_INSTANCE_TYPE(item->data, type) &&
            gtk_widget_get_visible(GTK_WIDGET(item->data))) {
            return GTK_WINDOW(item->data);
        }
    }
    return nullptr;
}

// Plays the user while a dialog runs its nested loop: a repeating 100 ms timeout on the default
// main context counts its ticks and, from the third on, hands the dialog (the first toplevel of
// `type`) to `answer` until that reports having answered it.
class DialogUser {
public:
    using Answer = std::function<bool(GtkWindow*, int tick)>;

    DialogUser(GType type, Answer answer)
        : type_(type), answer_(std::move(answer)), source_(g_timeout_source_new(tickMilliseconds)) {
        g_source_set_callback(source_.get(), &DialogUser::tick, this, nullptr);
        g_source_attach(source_.get(), nullptr);
    }

    int ticks() const { return ticks_; }
    bool answered() const { return answered_; }

private:
    static gboolean tick(gpointer data) {
        auto& self = *static_cast<DialogUser*>(data);
        ++self.ticks_;
        if (self.ticks_ < ticksBeforeAnswering) {
            return G_SOURCE_CONTINUE;
        }
        GtkWindow* dialog = findToplevel(self.type_);
        self.answered_ = dialog != nullptr && self.answer_(dialog, self.ticks_);
        return self.answered_ ? G_SOURCE_REMOVE : G_SOURCE_CONTINUE;
    }

    GType type_;
    Answer answer_;
    int ticks_ = 0;
    bool answered_ = false;
    GSourcePtr source_;
};

// What a dialog looked like when the user answered it.
struct Seen {
    std::string title;
    std::string text;
    bool active = false;
};

class GtkDialogsTest : public testing::Test {
protected:
    void SetUp() override { gtkDesktop->activateOtherApplication(); }

    GtkDialogs dialogs_;
};

TEST_F(GtkDialogsTest, ShowErrorShowsTheMessageInFrontWhileTheLoopRuns) {
    Seen seen;
    DialogUser user(GTK_TYPE_MESSAGE_DIALOG, [&](GtkWindow* alert, int) {
        seen.title = gtk_window_get_title(alert);
        const GCharPtr text([&] {
            gchar* value = nullptr;
            g_object_get(alert, "text", &value, nullptr);
            return value;
        }());
        seen.text = text ? text.get() : "";
        gtk_dialog_response(GTK_DIALOG(alert), GTK_RESPONSE_OK);
        return true;
    });

    dialogs_.showError("apps.txt:3: unknown slot 'mouse'");

    EXPECT_TRUE(user.answered());
    EXPECT_GE(user.ticks(), ticksBeforeAnswering);
    EXPECT_EQ(seen.text, "apps.txt:3: unknown slot 'mouse'");
    EXPECT_EQ(seen.title, "Dorvane");
    EXPECT_EQ(findToplevel(GTK_TYPE_MESSAGE_DIALOG), nullptr);
}

void accept(GtkWindow* chooser) {
    gtk_dialog_response(GTK_DIALOG(chooser), GTK_RESPONSE_ACCEPT);
}

void cancel(GtkWindow* chooser) {
    gtk_dialog_response(GTK_DIALOG(chooser), GTK_RESPONSE_CANCEL);
}

// As the window manager's close button does.
void closeWindow(GtkWindow* chooser) {
    gtk_window_close(chooser);
}

// GTK's chooser itself refuses to accept while nothing is chosen, so every case chooses a file.
struct ChooserCase {
    std::string label;
    void (*answer)(GtkWindow* chooser);
    bool expectFile;
    friend void PrintTo(const ChooserCase& scenario, std::ostream* out) { *out << scenario.label; }
};

class ChooseFile : public GtkDialogsTest, public testing::WithParamInterface<ChooserCase> {};

TEST_P(ChooseFile, ReturnsTheAcceptedLocalFileOnly) {
    const ChooserCase& scenario = GetParam();
    const auto file = gtkDesktop->scratch() / "rules to import.txt";
    writeFile(file, "slack: Slack\n");
    Seen seen;
    bool selected = false;
    DialogUser user(GTK_TYPE_FILE_CHOOSER_DIALOG, [&](GtkWindow* chooser, int tick) {
        seen.active = gtk_window_is_active(chooser);
        if (!selected) {
            selected = gtk_file_chooser_set_filename(GTK_FILE_CHOOSER(chooser), file.c_str());
        }
        // The chooser selects the file once it has listed its folder.
        const GCharPtr current(gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(chooser)));
        const bool ready = seen.active && current && current.get() == file.string();
        if (!ready && tick < ticksBeforeGivingUp) {
            return false;
        }
        seen.title = gtk_window_get_title(chooser);
        scenario.answer(chooser);
        return true;
    });

    const auto chosen = dialogs_.chooseFile("Import Dorvane app rules");

    EXPECT_TRUE(user.answered());
    EXPECT_GE(user.ticks(), ticksBeforeAnswering);
    EXPECT_EQ(seen.title, "Import Dorvane app rules");
    EXPECT_TRUE(seen.active);
    EXPECT_EQ(chosen, scenario.expectFile ? std::optional(file) : std::nullopt);
    EXPECT_EQ(findToplevel(GTK_TYPE_FILE_CHOOSER_DIALOG), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Responses, ChooseFile,
                         testing::Values(ChooserCase{"Accepted", accept, true},
                                         ChooserCase{"Cancelled", cancel, false},
                                         ChooserCase{"Closed", closeWindow, false}),
                         [](const auto& info) { return info.param.label; });

class GioOpenerTest : public testing::Test {
protected:
    void SetUp() override { std::filesystem::remove(gtkDesktop->recordFile()); }

    // What the recorder was launched with, once it has written it (one line).
    std::string recorded() const {
        const auto record = gtkDesktop->recordFile();
        eventually([&] { return !readFile(record).empty(); }, launchTimeout);
        std::string line = readFile(record);
        if (line.ends_with('\n')) {
            line.pop_back();
        }
        return line;
    }

    GioOpener opener_;
};

TEST_F(GioOpenerTest, OpensAnAddressWithTheDefaultBrowser) {
    opener_.openURL("https://dorvane.app/configurator/");
    EXPECT_EQ(recorded(), "https://dorvane.app/configurator/");
}

TEST_F(GioOpenerTest, OpensAFileWithTheDefaultApplicationForItsType) {
    const auto file = gtkDesktop->scratch() / "apps.txt";
    writeFile(file, "cursor: Cursor\n");
    opener_.openFile(file);
    // GIO gives %u a local file as its path, and only other locations as URIs.
    EXPECT_EQ(recorded(), file.string());
}

TEST_F(GioOpenerTest, ReturnsQuietlyWhenNothingHandlesTheAddress) {
    opener_.openURL("nosuchscheme://x");
    opener_.openFile("relative/apps.txt");
    // Launches start the handler before they return, so a launch made by either call above
    // would be recorded ahead of this one, and waiting for this one bounds the wait for them.
    opener_.openURL("https://dorvane.app/");
    EXPECT_EQ(recorded(), "https://dorvane.app/");
}

}  // namespace
}  // namespace dorvane
