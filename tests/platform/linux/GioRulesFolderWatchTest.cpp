// The GIO watch on real folders: each way of saving the rules file is seen once it is complete,
// and a folder made after the start is taken up.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "platform/linux/desktop/GioRulesFolderWatch.hpp"
#include "support/Eventually.hpp"
#include "support/TempDir.hpp"

namespace dorvane {
namespace {

using namespace std::chrono_literals;
using test::writeFile;

struct Save {
    std::string_view name;
    std::function<void(const std::filesystem::path& folder)> before;  // ahead of the watch
    std::function<void(const std::filesystem::path& folder)> save;
};

void PrintTo(const Save& save, std::ostream* out) {
    *out << save.name;
}

class GioRulesFolderWatchTest : public testing::TestWithParam<Save> {
protected:
    test::TempDir folder;
    std::filesystem::path rulesFile = folder / "config/apps.txt";
    GioRulesFolderWatch watch;
    int changes = 0;

    void start() {
        watch.start(rulesFile, [this] { ++changes; });
    }
    // Runs the main loop until the watch has reported `count` changes in all.
    bool reports(int count) {
        return test::eventually(
            [&] {
                while (g_main_context_iteration(nullptr, FALSE)) {
                }
                return changes >= count;
            },
            5s);
    }
};

void renameOver(const std::filesystem::path& file, std::string_view text) {
    writeFile(file.parent_path() / ".new", text);
    std::filesystem::rename(file.parent_path() / ".new", file);
}

TEST_P(GioRulesFolderWatchTest, ReportsTheSaveOnce) {
    GetParam().before(folder.path());
    start();
    writeFile(folder / "config/unrelated.txt", "x");

    GetParam().save(folder.path());

    ASSERT_TRUE(reports(1));
    EXPECT_EQ(changes, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Saves, GioRulesFolderWatchTest,
    testing::Values(
        Save{"InPlace", [](const auto& f) { writeFile(f / "config/apps.txt", "a: b\n"); },
             [](const auto& f) { writeFile(f / "config/apps.txt", "slack: Slack\n"); }},
        Save{"ByRename", [](const auto& f) { writeFile(f / "config/apps.txt", "a: b\n"); },
             [](const auto& f) { renameOver(f / "config/apps.txt", "slack: Slack\n"); }},
        Save{"AtTheEndOfALinkInAnotherFolder",
             [](const auto& f) {
                 writeFile(f / "dotfiles/rules", "a: b\n");
                 std::filesystem::create_directories(f / "config");
                 std::filesystem::create_symlink("../dotfiles/rules", f / "config/apps.txt");
             },
             [](const auto& f) { renameOver(f / "dotfiles/rules", "slack: Slack\n"); }},
        // The link's ".." leaves the linked folder's real place, not config's parent.
        Save{"AtTheEndOfALinkInALinkedFolder",
             [](const auto& f) {
                 writeFile(f / "dotfiles/shared/rules", "a: b\n");
                 std::filesystem::create_directories(f / "dotfiles/dorvane");
                 std::filesystem::create_directory_symlink("dotfiles/dorvane", f / "config");
                 std::filesystem::create_symlink("../shared/rules", f / "config/apps.txt");
             },
             [](const auto& f) { renameOver(f / "dotfiles/shared/rules", "slack: Slack\n"); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(GioRulesFolderWatchTest, TakesUpAFolderMadeAfterTheStart) {
    start();
    std::filesystem::create_directories(rulesFile.parent_path());
    watch.catchUp();

    renameOver(rulesFile, "slack: Slack\n");

    EXPECT_TRUE(reports(1));
}

}  // namespace
}  // namespace dorvane
