// Importing a chosen file as the rules file: what is refused, what the write keeps (links,
// permissions), and reading files that are not rules files.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <string>

#include "ModificationTime.hpp"
#include "ParserCases.hpp"
#include "rules/LayerMap.hpp"
#include "rules/RulesError.hpp"
#include "rules/RulesFile.hpp"
#include "support/TempDir.hpp"

namespace dorvane {
namespace {

using test::readFile;
using test::setModificationTime;
using test::writeFile;
using testing::StartsWith;

constexpr std::string_view loadedRules = "# mine\nslack: Figma\n";

class RulesImportTest : public testing::Test {
protected:
    std::optional<std::string> slotForName(const std::string& name) {
        return map.layerFor({std::nullopt, name});
    }

    // Rules file loaded: Figma is in "slack", and the built-in rules are off.
    void loadRules() {
        writeFile(rulesFile, loadedRules);
        setModificationTime(rulesFile, 1000, 0);
        loadedTime = std::filesystem::last_write_time(rulesFile);
        ASSERT_EQ(slotForName("Figma"), "slack");
    }

    // What the import threw: "PATH: REASON" for a file error, the message for a rules error.
    static std::string importError(LayerMap& into, const std::filesystem::path& from) {
        try {
            into.importRules(from);
        } catch (const FileError& error) {
            return error.what();
        } catch (const RulesError& error) {
            return error.what();
        }
        return "imported";
    }

    void expectRulesUnchanged() {
        EXPECT_EQ(readFile(rulesFile), loadedRules);
        EXPECT_EQ(std::filesystem::last_write_time(rulesFile), loadedTime);
        EXPECT_EQ(slotForName("Figma"), "slack");
        EXPECT_EQ(slotForName("Cursor"), std::nullopt);
    }

    test::TempDir folder;
    std::filesystem::path rulesFile = folder.path() / "dorvane" / "apps.txt";
    std::filesystem::path source = folder.path() / "chosen.txt";
    LayerMap map{rulesFile, test::longAfterEveryWrite};
    std::filesystem::file_time_type loadedTime;
};

TEST_F(RulesImportTest, RefusesTextThatIsNotUTF8BeforeParsing) {
    loadRules();
    writeFile(source, "Figma \xC0\xAF");
    EXPECT_EQ(importError(map, source), source.string() + ": not valid UTF-8 text");
    expectRulesUnchanged();
}

TEST_F(RulesImportTest, RefusesTextThatDoesNotParse) {
    loadRules();
    writeFile(source, "# nothing here\n");
    EXPECT_EQ(importError(map, source), test::noRulesMessage);
    expectRulesUnchanged();
}

TEST_F(RulesImportTest, RefusesAMissingFile) {
    loadRules();
    EXPECT_EQ(importError(map, source), source.string() + ": No such file or directory");
    expectRulesUnchanged();
}

TEST_F(RulesImportTest, RefusesAPlainFileWhereTheFolderShouldBe) {
    const auto blocker = folder.path() / "blocker";
    writeFile(blocker, "mine");
    LayerMap blocked(blocker / "dorvane" / "apps.txt");
    writeFile(source, loadedRules);

    EXPECT_THAT(importError(blocked, source), StartsWith((blocker / "dorvane").string() + ": "));
    EXPECT_EQ(readFile(blocker), "mine");
    EXPECT_EQ(blocked.layerFor({std::nullopt, "Figma"}), std::nullopt);
}

TEST_F(RulesImportTest, FailedWriteLeavesNoTemporaryFile) {
    std::filesystem::create_directories(rulesFile / "occupied");
    writeFile(source, loadedRules);

    EXPECT_THAT(importError(map, source), StartsWith(rulesFile.string() + ": "));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(rulesFile.parent_path()), {}), 1);
    EXPECT_EQ(slotForName("Cursor"), "cursor");
}

TEST_F(RulesImportTest, CreatesTheFolderAndCopiesTheTextWhole) {
    const std::string text = "# imported\r\n\r\nchrome: Figma ; Arc\r\n";
    writeFile(source, text);
    LayerMap nested(folder.path() / "a" / "b" / "apps.txt");

    nested.importRules(source);

    EXPECT_EQ(readFile(folder.path() / "a" / "b" / "apps.txt"), text);
    EXPECT_EQ(nested.layerFor({std::nullopt, "Arc"}), "chrome");
}

TEST_F(RulesImportTest, ReplacesTheRulesAtOnceAndTheNextLookupRereads) {
    loadRules();
    writeFile(source, "chrome: Arc");
    map.importRules(source);

    // The rules are in force before any lookup: a broken file now cannot displace them.
    writeFile(rulesFile, "broken");
    EXPECT_EQ(slotForName("Arc"), "chrome");
    EXPECT_EQ(slotForName("Figma"), std::nullopt);

    // No time is recorded after an import, not even the old one: this file is read.
    writeFile(rulesFile, "cursor: Arc");
    setModificationTime(rulesFile, 1000, 0);
    EXPECT_EQ(slotForName("Arc"), "cursor");
}

// A new file gets what the umask leaves, and the umask is as it was. An existing file keeps its
// permissions, even those the umask would take away.
TEST_F(RulesImportTest, NewFileGetsWhatTheUmaskLeavesAndAnExistingOneKeepsItsOwn) {
    writeFile(source, "chrome: Arc");
    const mode_t mask = umask(027);
    map.importRules(source);
    EXPECT_EQ(std::filesystem::status(rulesFile).permissions(), std::filesystem::perms(0640));

    std::filesystem::permissions(rulesFile, std::filesystem::perms(0604));
    map.importRules(source);
    EXPECT_EQ(umask(mask), mode_t{027});
    EXPECT_EQ(std::filesystem::status(rulesFile).permissions(), std::filesystem::perms(0604));
}

TEST_F(RulesImportTest, ImportingTheRulesFileItselfKeepsItsText) {
    loadRules();
    map.importRules(rulesFile);
    EXPECT_EQ(readFile(rulesFile), loadedRules);
    EXPECT_EQ(slotForName("Figma"), "slack");
}

// Dotfile managers link the rules file into a repository; a write must not replace the link.
TEST_F(RulesImportTest, WritesToTheEndOfAChainOfLinksAndKeepsThem) {
    const auto stage = folder.path() / "stage" / "apps.txt";
    const auto target = folder.path() / "repository" / "rules" / "apps.txt";
    std::filesystem::create_directories(rulesFile.parent_path());
    std::filesystem::create_directories(stage.parent_path());
    std::filesystem::create_symlink("../stage/apps.txt", rulesFile);
    std::filesystem::create_symlink(target, stage);
    EXPECT_EQ(slotForName("Cursor"), "cursor");

    writeFile(source, loadedRules);
    map.importRules(source);

    EXPECT_TRUE(std::filesystem::is_symlink(rulesFile));
    EXPECT_TRUE(std::filesystem::is_symlink(stage));
    EXPECT_EQ(readFile(target), loadedRules);
    EXPECT_EQ(slotForName("Figma"), "slack");
    EXPECT_EQ(slotForName("Cursor"), std::nullopt);
}

TEST_F(RulesImportTest, RefusesALoopOfLinks) {
    std::filesystem::create_directories(rulesFile.parent_path());
    std::filesystem::create_symlink("apps.txt", rulesFile);
    writeFile(source, loadedRules);
    EXPECT_EQ(importError(map, source), rulesFile.string() + ": Too many levels of symbolic links");
}

std::string readError(const std::filesystem::path& path) {
    try {
        rulesfile::readTextFile(path);
    } catch (const FileError& error) {
        return error.what();
    }
    return "read";
}

// Something other than a rules file, where one is expected.
struct NotARulesFile {
    const char* name;
    void (*place)(const std::filesystem::path& at);
    std::string_view reason;
};

class NotARulesFileTest : public RulesImportTest,
                          public testing::WithParamInterface<NotARulesFile> {};

// Import and check read the chosen file; the reload behind each lookup reads the rules file, and
// tells why once. A plain open() of a FIFO waits for a writer for ever, so a test that hangs here
// has found a fault.
TEST_P(NotARulesFileTest, IsRefusedWithoutWaitingAndTheRulesStay) {
    const NotARulesFile& item = GetParam();
    loadRules();
    item.place(source);
    const std::string refusal = source.string() + ": " + std::string(item.reason);

    EXPECT_EQ(importError(map, source), refusal);
    EXPECT_EQ(readError(source), refusal);
    expectRulesUnchanged();

    std::filesystem::remove(rulesFile);
    item.place(rulesFile);
    EXPECT_EQ(slotForName("Figma"), "slack");
    const auto error = map.takeNewLoadError();
    ASSERT_TRUE(error);
    EXPECT_EQ(error->what(), item.reason);
    EXPECT_EQ(error->line(), std::nullopt);
    slotForName("Figma");
    EXPECT_FALSE(map.takeNewLoadError());
}

INSTANTIATE_TEST_SUITE_P(
    Items, NotARulesFileTest,
    testing::Values(
        NotARulesFile{"FIFO", [](const auto& at) { ASSERT_EQ(::mkfifo(at.c_str(), 0600), 0); },
                      "not a regular file"},
        NotARulesFile{"Folder", [](const auto& at) { std::filesystem::create_directory(at); },
                      "not a regular file"},
        NotARulesFile{"LinkToADevice",
                      [](const auto& at) { std::filesystem::create_symlink("/dev/zero", at); },
                      "not a regular file"},
        // Valid rules, so that only the size can refuse them.
        NotARulesFile{"HugeFile",
                      [](const auto& at) {
                          writeFile(at,
                                    "chrome: Figma\n#" + std::string(rulesfile::maxFileSize, '-'));
                      },
                      "larger than 1 MiB"}),
    [](const auto& info) { return std::string(info.param.name); });

// Opening a FIFO, even without waiting, would wake a writer waiting on it, which then dies of
// SIGPIPE: inotify sees every open.
TEST_F(RulesImportTest, AFIFOIsNeverOpened) {
    ASSERT_EQ(::mkfifo(source.c_str(), 0600), 0);
    const int events = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(::inotify_add_watch(events, source.c_str(), IN_OPEN), 0);

    importError(map, source);
    readError(source);

    inotify_event event{};
    EXPECT_LT(::read(events, &event, sizeof event), 0) << "the FIFO was opened";
    ::close(events);
}

// The rename would replace either: the folder's permissions allow it.
TEST_F(RulesImportTest, RefusesToReplaceAReadOnlyOrHardLinkedFile) {
    loadRules();
    writeFile(source, "chrome: Figma\n");
    std::filesystem::permissions(rulesFile, std::filesystem::perms(0444));
    EXPECT_EQ(importError(map, source),
              rulesFile.string() + ": read-only, so it was left as it is");
    std::filesystem::permissions(rulesFile, std::filesystem::perms(0600));
    expectRulesUnchanged();

    std::filesystem::create_hard_link(rulesFile, folder.path() / "backup.txt");
    EXPECT_EQ(importError(map, source),
              rulesFile.string() +
                  ": has other hard links, which a replacement would part from it, so it was left "
                  "as it is");
    expectRulesUnchanged();
}

// Files under /proc report a size of 0 whatever they hold, as a file still growing understates
// its size: only the count of bytes read can stop them.
TEST(RulesFileReadTest, TheCapHoldsForTheBytesReadNotTheSizeReported) {
    const std::filesystem::path listing = "/proc/kallsyms";
    std::error_code error;
    if (std::filesystem::file_size(listing, error) != 0 || error) {
        GTEST_SKIP() << "needs a large file that reports a size of 0";
    }
    EXPECT_EQ(readError(listing), listing.string() + ": larger than 1 MiB");
}

}  // namespace
}  // namespace dorvane
