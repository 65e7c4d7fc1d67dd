// The menu's rules and configurator actions: Customize keys, Import app rules, Edit app rules.
#include "ControllerFixture.hpp"
#include "app/BrokenRulesNotice.hpp"

namespace dorvane::test {
namespace {

constexpr std::string_view loadedRules = "# mine\nchrome: Slack\n";

class RulesActionsTest : public ControllerTest {
protected:
    // A loaded rules file puts Slack in "chrome"; the pad shows it.
    void launchWithRules() {
        writeFile(layerMap.fileURL(), loadedRules);
        plugIn();
        workspace.frontmost = slack;
        delegate.applicationDidFinishLaunching();
        ASSERT_EQ(received(), greeting + "LAYER chrome\n");
    }
    void importFileWith(std::string_view text) {
        dialogs.choice = folder / "chosen.txt";
        writeFile(*dialogs.choice, text);
        statusItem.choose(MenuAction::importAppRules);
    }
    std::string padLine() const { return statusItem.menus.back().items[2].title; }
};

TEST_F(RulesActionsTest, CustomizeKeysReleasesThePortBeforeOpeningTheConfigurator) {
    launchWithRules();
    bool portFreeWhenOpened = false;
    opener.onOpen = [&] { portFreeWhenOpened = pad->slaveClosed(0ms); };

    statusItem.choose(MenuAction::openConfigurator);

    EXPECT_TRUE(portFreeWhenOpened);
    EXPECT_EQ(opener.opened, std::vector<std::string>{"https://dorvane.app/configurator/"});
    EXPECT_TRUE(delegate.state().paused);
    EXPECT_EQ(padLine(), "Pad: paused (port free for configurator)");
    mainLoop.fire();
    EXPECT_FALSE(delegate.state().padOpen);
}

TEST_F(RulesActionsTest, CustomizeKeysAgainWhilePausedOpensTheConfiguratorAgain) {
    launchWithRules();
    statusItem.choose(MenuAction::openConfigurator);

    statusItem.choose(MenuAction::openConfigurator);

    EXPECT_TRUE(delegate.state().paused);
    EXPECT_EQ(opener.opened.size(), 2u);
    EXPECT_EQ(statusItem.menus.back().items[6].title, "Resume companion");
}

TEST_F(RulesActionsTest, CustomizeKeysWithoutAPadStillPauses) {
    delegate.applicationDidFinishLaunching();

    statusItem.choose(MenuAction::openConfigurator);

    EXPECT_TRUE(delegate.state().paused);
    EXPECT_EQ(opener.opened.size(), 1u);
}

TEST_F(RulesActionsTest, CancellingTheChooserChangesNothing) {
    launchWithRules();

    statusItem.choose(MenuAction::importAppRules);

    EXPECT_EQ(dialogs.chooserTitles, std::vector<std::string>{"Import Dorvane app rules"});
    EXPECT_TRUE(dialogs.alerts.empty());
    EXPECT_EQ(readFile(layerMap.fileURL()), loadedRules);
    EXPECT_EQ(received(), "");
}

TEST_F(RulesActionsTest, AFileThatDoesNotParseIsShownAndChangesNothing) {
    launchWithRules();

    importFileWith("cursor: Slack\nFigma\n");

    EXPECT_EQ(dialogs.alerts, std::vector<std::string>{
                                  "Expected app rules like cursor: Figma, com.figma.Desktop."});
    EXPECT_EQ(readFile(layerMap.fileURL()), loadedRules);
    EXPECT_EQ(layerMap.layerFor(slack), "chrome");
    EXPECT_EQ(received(), "");
}

TEST_F(RulesActionsTest, AFileThatCannotBeReadShowsTheSystemsReason) {
    launchWithRules();
    dialogs.choice = folder / "gone.txt";

    statusItem.choose(MenuAction::importAppRules);

    ASSERT_EQ(dialogs.alerts.size(), 1u);
    EXPECT_EQ(dialogs.alerts[0], (folder / "gone.txt").string() + ": No such file or directory");
}

TEST_F(RulesActionsTest, ImportedRulesDecideAtOnce) {
    launchWithRules();

    importFileWith("cursor: Slack\n");

    EXPECT_EQ(received(), "LAYER cursor\n");
    EXPECT_EQ(readFile(layerMap.fileURL()), "cursor: Slack\n");
}

TEST_F(RulesActionsTest, ImportKeepingTheSlotSendsNothingButConsidersTheFrontmostApplication) {
    launchWithRules();
    workspace.frontmost = RunningApplication{"com.figma.Desktop", "Figma"};  // no word of it yet

    importFileWith("chrome: Slack, Figma\n");

    EXPECT_EQ(received(), "");
    EXPECT_EQ(statusItem.menus.back().items[3].title, "Frontmost: Figma");
}

TEST_F(RulesActionsTest, QuitWhileChoosingDismissesTheChooserAndImportsNothing) {
    launchWithRules();
    dialogs.choice = folder / "chosen.txt";
    writeFile(*dialogs.choice, "cursor: Slack\n");
    dialogs.whileChoosing = [&] {
        statusItem.choose(MenuAction::importAppRules);  // asked again: no second chooser
        statusItem.choose(MenuAction::quit);
        mainLoop.fire();  // the dialog's loop goes on until it ends
        workspace.activate(cursor);
    };
    bool terminated = false;
    mainLoop.onTerminate = [&] { terminated = true; };

    statusItem.choose(MenuAction::importAppRules);

    EXPECT_EQ(dialogs.chooserTitles.size(), 1u);
    EXPECT_EQ(dialogs.dismissals, 1);
    EXPECT_TRUE(terminated);
    EXPECT_TRUE(pad->slaveClosed(0ms));
    EXPECT_EQ(received(), "");
    EXPECT_EQ(readFile(layerMap.fileURL()), loadedRules);
}

TEST_F(RulesActionsTest, ImportWhilePausedRecordsTheSlotAndSendsNothing) {
    launchWithRules();
    statusItem.choose(MenuAction::togglePause);

    importFileWith("slack: Slack\n");

    EXPECT_EQ(delegate.state().lastLayer, "slack");
    EXPECT_EQ(statusItem.menus.back().items[1].title, "Layer: slack");
    EXPECT_FALSE(delegate.state().padOpen);
}

TEST_F(RulesActionsTest, EditWithNoRulesFileWritesTheDefaultRulesThenOpensThem) {
    LayerMap nested{folder / "config/dorvane/apps.txt"};
    AppDelegate editing{registry, nested, platform()};

    editing.editAppRules();

    const std::string written = readFile(nested.fileURL());
    EXPECT_EQ(written,
              "cursor: Cursor, com.anysphere.cursor\n"
              "chrome: Google Chrome, com.google.Chrome\n"
              "slack: Slack, com.tinyspeck.slackmacgap\n");
    EXPECT_EQ(written.size(), 118u);
    EXPECT_EQ(opener.opened, std::vector<std::string>{nested.fileURL()});
}

TEST_F(RulesActionsTest, EditOpensAnExistingFileUntouchedEvenWhenItDoesNotParse) {
    for (const std::string_view text : {"", "not rules at all\n"}) {
        writeFile(layerMap.fileURL(), text);
        opener.opened.clear();

        delegate.editAppRules();

        EXPECT_EQ(readFile(layerMap.fileURL()), text);
        EXPECT_EQ(opener.opened, std::vector<std::string>{layerMap.fileURL()});
        EXPECT_TRUE(dialogs.alerts.empty());
    }
}

// A dotfile manager's link, its file not made yet: the link must stay one and lead to the rules.
TEST_F(RulesActionsTest, EditThroughADanglingLinkWritesTheDefaultRulesWhereItLeads) {
    const auto target = folder / "repository/apps.txt";
    std::filesystem::create_symlink(target, layerMap.fileURL());

    delegate.editAppRules();

    EXPECT_TRUE(std::filesystem::is_symlink(layerMap.fileURL()));
    EXPECT_EQ(readFile(target), AppDelegate::defaultRulesText);
    EXPECT_EQ(opener.opened, std::vector<std::string>{layerMap.fileURL()});
}

TEST_F(RulesActionsTest, EditWhereAPlainFileStandsForTheFolderShowsTheErrorAndOpensNothing) {
    writeFile(folder / "dorvane", "a file, not a folder");
    LayerMap blocked{folder / "dorvane/apps.txt"};
    AppDelegate editing{registry, blocked, platform()};

    editing.editAppRules();

    EXPECT_EQ(dialogs.alerts.size(), 1u);
    EXPECT_TRUE(opener.opened.empty());
    EXPECT_EQ(readFile(folder / "dorvane"), "a file, not a folder");
}

TEST_F(RulesActionsTest, ACompletedSaveAppliesAtOnceAndABrokenOneIsNotifiedOnce) {
    launchWithRules();
    EXPECT_EQ(rulesWatch.watched, layerMap.fileURL());

    writeFile(layerMap.fileURL(), "slack: Slack\n");
    rulesWatch.saved();
    EXPECT_EQ(received(), "LAYER slack\n");

    writeFile(layerMap.fileURL(), "slack: Slack\nfigma: Figma\n");
    rulesWatch.saved();
    mainLoop.fire();
    const Notification broken{"The app rules file has a mistake",
                              "apps.txt, line 2: Unknown profile slot: figma. The previous rules "
                              "stay in force."};
    EXPECT_EQ(notifier.shown, std::vector{broken});
    EXPECT_EQ(received(), "");
}

struct NoticeCase {
    RulesError error;
    std::string body;
};

TEST(BrokenRulesNoticeTest, NamesTheFileTheLineAndTheReason) {
    const NoticeCase cases[] = {
        {RulesError("Unknown profile slot: figma", 3),
         "apps.txt, line 3: Unknown profile slot: figma. The previous rules stay in force."},
        {RulesError("Expected app rules like cursor: Figma, com.figma.Desktop.", 1),
         "apps.txt, line 1: Expected app rules like cursor: Figma, com.figma.Desktop. The "
         "previous rules stay in force."},
        {RulesError("This file has no Dorvane app rules.", std::nullopt),
         "apps.txt: This file has no Dorvane app rules. The previous rules stay in force."},
        {RulesError("Unknown profile slot: " + std::string(100'000, 'x'), 3),
         "apps.txt, line 3: Unknown profile slot: " + std::string(39, 'x') +
             "\u2026 The previous rules stay in force."},
    };
    for (const auto& [error, body] : cases) {
        EXPECT_EQ(brokenRulesNotice("/home/u/.config/dorvane/apps.txt", error).body, body);
    }
}

}  // namespace
}  // namespace dorvane::test
