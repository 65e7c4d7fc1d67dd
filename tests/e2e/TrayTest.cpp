// The companion's status item in a real tray host (xfce4-panel), read and clicked over D-Bus as
// the host does it; and its icon in a tray that docks XEmbed icons only (trayer or stalonetray).
#include <gtest/gtest.h>
#include <signal.h>

#include "support/Eventually.hpp"
#include "support/Pty.hpp"
#include "support/TempDir.hpp"
#include "testbed/StatusNotifierClient.hpp"
#include "testbed/X11Session.hpp"

namespace dorvane::test {
namespace {

using namespace std::chrono_literals;

struct Line {
    std::string label;
    bool enabled;
    bool separator = false;

    bool operator==(const Line&) const = default;
    friend std::ostream& operator<<(std::ostream& os, const Line& line) {
        return os << (line.separator ? "----" : line.label) << (line.enabled ? "" : " (disabled)");
    }
};

class TrayTest : public ::testing::Test {
protected:
    X11Session session;
    std::unique_ptr<StatusNotifierClient> tray;

    void SetUp() override {
        session.startTrayHost();
        session.recordWhatIsOpened();
        tray = std::make_unique<StatusNotifierClient>(session.bus.address());
        session.launch(DORVANE_BINARY, session.chrome);
        ASSERT_EQ(session.padReceives("OS linux\nLAYER chrome\n"), "OS linux\nLAYER chrome\n");
        ASSERT_TRUE(tray->waitForItem(10s));
    }

    std::vector<Line> menu() {
        std::vector<Line> lines;
        for (const auto& item : tray->menu()) {
            lines.push_back({item.separator ? "" : item.label, item.enabled, item.separator});
        }
        return lines;
    }

    // The menu follows the state within a tick or so.
    bool menuShows(const std::string& label) {
        return eventually(
            [&] {
                for (const auto& line : menu()) {
                    if (line.label == label) {
                        return true;
                    }
                }
                return false;
            },
            5s);
    }
};

TEST_F(TrayTest, MenuHasTheStateLinesAndActions) {
    const std::vector<Line> expected = {
        {"Dorvane", false},
        {"Layer: chrome", false},
        {"Pad: /dev/ttyACM0", false},
        {"Frontmost: Google Chrome", false},
        {"", true, true},
        {"Customize keys\u2026", true},
        {"Pause companion", true},
        {"Import app rules\u2026", true},
        {"Edit app rules\u2026", true},
        {"Quit Dorvane", true},
    };
    EXPECT_TRUE(eventually([&] { return menu() == expected; }, 5s))
        << testing::PrintToString(menu());
    EXPECT_EQ(tray->title(), "Dorvane \u00b7 chrome");
}

TEST_F(TrayTest, PauseFreesThePortAndResumeRestoresTheLayer) {
    ASSERT_TRUE(tray->click("Pause companion"));
    EXPECT_TRUE(slaveClosed(session.pad(), 5s));
    EXPECT_TRUE(menuShows("Pad: paused (port free for configurator)"));
    EXPECT_TRUE(menuShows("Resume companion"));

    ASSERT_TRUE(tray->click("Resume companion"));
    EXPECT_EQ(session.padReceives("OS linux\nLAYER chrome\n"), "OS linux\nLAYER chrome\n");
    EXPECT_TRUE(menuShows("Pause companion"));
}

TEST_F(TrayTest, CustomizeKeysFreesThePortThenOpensTheConfigurator) {
    ASSERT_TRUE(tray->click("Customize keys\u2026"));

    ASSERT_TRUE(eventually([&] { return !session.opened().empty(); }, 10s));
    EXPECT_TRUE(slaveClosed(session.pad(), 0ms))
        << "the port was still held when the browser opened";
    EXPECT_EQ(session.opened(), "https://dorvane.app/configurator/\n");
    EXPECT_TRUE(menuShows("Pad: paused (port free for configurator)"));
}

TEST_F(TrayTest, EditAppRulesWritesTheDefaultRulesThenOpensThem) {
    ASSERT_TRUE(tray->click("Edit app rules\u2026"));

    ASSERT_TRUE(eventually([&] { return !session.opened().empty(); }, 10s));
    EXPECT_EQ(readFile(session.rulesFile()).size(), 118u);
    EXPECT_EQ(session.opened(),
              session.rulesFile().string() + "\n");  // GIO passes local files as paths
}

// The user picks the file in the real GTK file chooser: Ctrl+L, the path, Enter.
class TrayImportTest : public TrayTest {
protected:
    void importThroughTheChooser(const std::filesystem::path& file) {
        ASSERT_TRUE(tray->click("Import app rules\u2026"));
        const auto chooser = session.desktop.waitForWindow("Import Dorvane app rules");
        ASSERT_TRUE(chooser) << "no file chooser appeared";
        session.desktop.activate(*chooser);
        session.desktop.pressKeys("ctrl+l");
        session.desktop.typeText(file.string());
        // GTK may still be completing the typed path when the first Enter comes, so Enter is
        // pressed again while the chooser stays. Each press waits for the chooser to go first: a
        // press that came after it closed would dismiss the alert that may follow.
        const auto chooserGone = [&] {
            return eventually(
                [&] { return !session.desktop.waitForWindow("Import Dorvane app rules", 0ms); },
                3s);
        };
        const bool closed = eventually(
            [&] {
                session.desktop.pressKeys("Return");
                return chooserGone();
            },
            10s);
        ASSERT_TRUE(closed) << "the file chooser did not take the path";
    }
};

TEST_F(TrayImportTest, AValidFileBecomesTheRulesAndDecidesAtOnce) {
    const auto chosen = session.rulesFile().parent_path().parent_path() / "chosen.txt";
    writeFile(chosen, "slack: Google Chrome\n");

    importThroughTheChooser(chosen);

    EXPECT_TRUE(session.padEventuallyReceives("LAYER slack\n"));
    EXPECT_EQ(readFile(session.rulesFile()), "slack: Google Chrome\n");
}

TEST_F(TrayImportTest, AFileThatDoesNotParseRaisesAnAlertAndChangesNothing) {
    writeFile(session.rulesFile(), "chrome: Google Chrome\n");
    const auto chosen = session.rulesFile().parent_path().parent_path() / "chosen.txt";
    writeFile(chosen, "Figma\n");

    importThroughTheChooser(chosen);

    EXPECT_TRUE(session.desktop.waitForWindow("Dorvane")) << "no alert appeared";
    EXPECT_EQ(readFile(session.rulesFile()), "chrome: Google Chrome\n");
}

TEST_F(TrayTest, QuitClosesThePortAndExits) {
    ASSERT_TRUE(tray->click("Quit Dorvane"));

    EXPECT_EQ(session.companion().waitFor(5s), 0);
    EXPECT_TRUE(slaveClosed(session.pad(), 1s));
}

// A dialog runs a loop of its own; quitting must end it rather than wait for the user.
TEST_F(TrayTest, SigtermWithTheChooserOpenReleasesThePortAndExits) {
    ASSERT_TRUE(tray->click("Import app rules\u2026"));
    ASSERT_TRUE(session.desktop.waitForWindow("Import Dorvane app rules"));

    session.companion().signal(SIGTERM);

    EXPECT_EQ(session.companion().waitFor(5s), 0);
    EXPECT_TRUE(slaveClosed(session.pad(), 0ms));
}

TEST_F(TrayTest, QuitWithAnAlertOpenReleasesThePortAndExits) {
    writeFile(session.rulesFile().parent_path(), "a file where the folder belongs");
    ASSERT_TRUE(tray->click("Edit app rules\u2026"));
    ASSERT_TRUE(session.desktop.waitForWindow("Dorvane")) << "no alert appeared";

    ASSERT_TRUE(tray->click("Quit Dorvane"));

    EXPECT_EQ(session.companion().waitFor(5s), 0);
    EXPECT_TRUE(slaveClosed(session.pad(), 0ms));
}

// Without a StatusNotifier host the icon is drawn in the companion's own process. Drawing it must
// load neither an SVG renderer nor, through GDK's visual probe, an OpenGL driver: each costs
// more memory than the rest of the companion.
TEST(XEmbedTrayTest, TheIconIsDockedAndDrawnWithoutAnSvgRendererOrOpenGl) {
    X11Session session;
    session.startXEmbedTray();
    session.launch(DORVANE_BINARY, session.chrome);
    ASSERT_EQ(session.padReceives("OS linux\nLAYER chrome\n"), "OS linux\nLAYER chrome\n");

    const auto icon = session.dockedTrayIcon(10s);
    ASSERT_TRUE(icon) << "the tray docked no icon of the companion";
    EXPECT_TRUE(eventually([&] { return session.coloursShownBy(*icon) > 1; }, 5s))
        << "the docked icon shows nothing";
    const std::string mapped = session.companionMemoryMap();
    for (const char* library : {"librsvg", "swrast_dri", "libLLVM", "libGLX_mesa"}) {
        EXPECT_EQ(mapped.find(library), std::string::npos) << library << " is loaded";
    }
}

}  // namespace
}  // namespace dorvane::test
