// The macOS syntax check must bite: each case plants one typical mistake in a copy of a real
// adapter and expects the check to refuse the copy. Unchanged copies pass, so a refusal comes
// from the mistake and not from checking a copy.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "support/Process.hpp"
#include "support/TempDir.hpp"

namespace dorvane::test {
namespace {

const std::filesystem::path sourceDir = DORVANE_SOURCE_DIR;
const std::filesystem::path checkScript = sourceDir / "tests/platform/macos/check-macos-sources";

struct Mistake {
    const char* name;
    const char* adapter;  // under src/platform/macos
    std::string correct;
    std::string mistaken;
};

// Names the case in test listings, instead of dumping its bytes.
void PrintTo(const Mistake& mistake, std::ostream* out) {
    *out << mistake.name;
}

std::string contentsOf(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class PlantedMistakeTest : public ::testing::TestWithParam<Mistake> {
protected:
    TempDir work;

    // A copy of the adapter, under its own name, with `correct` replaced by `mistaken`.
    std::filesystem::path copyOf(const char* adapter, const std::string& correct = {},
                                 const std::string& mistaken = {}) {
        std::string text = contentsOf(sourceDir / "src/platform/macos" / adapter);
        if (!correct.empty()) {
            const auto at = text.find(correct);
            EXPECT_NE(at, std::string::npos) << "the adapter no longer holds: " << correct;
            text.replace(std::min(at, text.size()), correct.size(), mistaken);
        }
        const auto copy = work / "copy" / adapter;
        writeFile(copy, text);
        return copy;
    }

    CommandResult check(const std::filesystem::path& file) {
        return runCommand({checkScript, work / "headers", file});
    }
};

TEST_P(PlantedMistakeTest, IsRefused) {
    const Mistake& mistake = GetParam();

    const CommandResult result = check(copyOf(mistake.adapter, mistake.correct, mistake.mistaken));

    EXPECT_NE(result.exitCode, 0);
    EXPECT_NE(result.out.find("error:"), std::string::npos) << result.out;
}

TEST_F(PlantedMistakeTest, UnchangedCopiesPass) {
    for (const char* adapter : {"StatusBarItem.mm", "IOKitRegistry.cpp"}) {
        const CommandResult result = check(copyOf(adapter));
        EXPECT_EQ(result.exitCode, 0) << adapter << '\n' << result.out << result.err;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Mistakes, PlantedMistakeTest,
    ::testing::Values(
        Mistake{"SelectorTypo", "StatusBarItem.mm",
                "statusItemWithLength:", "statusItemWithLenght:"},
        Mistake{"WrongBlockSignature", "BrandLogo.mm", "^BOOL(NSRect)", "^BOOL(NSSize)"},
        Mistake{"WrongDelegateMethodSignature", "StatusBarItem.mm", "menuDidClose:(NSMenu*)",
                "menuDidClose:(NSMenuItem*)"},
        Mistake{"CastWithoutBridgeUnderARC", "CocoaMainLoop.mm", "weakTicker = ticker_;",
                "weakTicker = (DVTicker*)(void*)ticker_;"},
        Mistake{"WrongObjectiveCArgumentType", "CocoaDialogs.mm", "alertWithError:error",
                "alertWithError:message"},
        Mistake{"WrongIOKitArgumentType", "IOKitRegistry.cpp", "kIOServicePlane, &parent",
                "kIOServicePlane, parent"},
        Mistake{"WrongArgumentOrder", "IOKitRegistry.cpp",
                "IOServiceGetMatchingServices(kIOMainPortDefault, matching, &iterator)",
                "IOServiceGetMatchingServices(matching, kIOMainPortDefault, &iterator)"},
        Mistake{"ImmutableStringLowercased", "UnicodeCF.cpp", "CFStringLowercase(lower.get()",
                "CFStringLowercase(text"}),
    [](const ::testing::TestParamInfo<Mistake>& info) { return info.param.name; });

}  // namespace
}  // namespace dorvane::test
