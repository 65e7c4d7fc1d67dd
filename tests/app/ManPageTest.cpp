// The commands and options that `dorvane --help` lists are those that dorvane(1) documents, both
// ways, so that neither can gain one the other lacks.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "support/Process.hpp"

namespace dorvane::test {
namespace {

using Names = std::set<std::string>;

// The first word of each entry under "commands:"; continuation lines start with more spaces.
Names namesInHelp(const std::string& help) {
    static const std::regex entry("^  ([-a-z]+)( .*)?$");
    Names names;
    std::istringstream lines(help);
    bool inCommands = false;
    for (std::string line; std::getline(lines, line);) {
        std::smatch match;
        if (line == "commands:") {
            inCommands = true;
        } else if (inCommands && std::regex_match(line, match, entry)) {
            names.insert(match[1]);
        }
    }
    return names;
}

// The bold word that opens each tagged paragraph (.TP) of the COMMANDS and OPTIONS sections.
Names namesInManPage(const std::string& path) {
    static const std::regex tag(R"(^\\fB((\\-|[a-z])+)\\fR.*)");
    Names names;
    std::ifstream file(path);
    bool inSection = false;
    bool tagLine = false;
    for (std::string line; std::getline(file, line);) {
        std::smatch match;
        if (line.starts_with(".SH ")) {
            inSection = line == ".SH COMMANDS" || line == ".SH OPTIONS";
        } else if (inSection && tagLine && std::regex_match(line, match, tag)) {
            std::string name = match[1];
            std::erase(name, '\\');
            names.insert(name);
        }
        tagLine = line == ".TP";
    }
    return names;
}

Names missingFrom(const Names& names, const Names& from) {
    Names missing;
    std::set_difference(names.begin(), names.end(), from.begin(), from.end(),
                        std::inserter(missing, missing.end()));
    return missing;
}

class ManPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto result = runCommand({DORVANE_BINARY, "--help"});
        ASSERT_EQ(result.exitCode, 0);
        help = namesInHelp(result.out);
        manPage = namesInManPage(DORVANE_SOURCE_DIR "/docs/dorvane.1");
        // Guards the parsers: an empty set on either side would make both comparisons vacuous.
        ASSERT_THAT(help, ::testing::IsSupersetOf({"check", "send", "--help", "--version"}));
        ASSERT_THAT(manPage, ::testing::IsSupersetOf({"check", "send", "--help", "--version"}));
    }

    Names help;
    Names manPage;
};

TEST_F(ManPageTest, EveryCommandInHelpIsDocumented) {
    EXPECT_THAT(missingFrom(help, manPage), ::testing::IsEmpty()) << "missing from docs/dorvane.1";
}

TEST_F(ManPageTest, EveryDocumentedCommandIsInHelp) {
    EXPECT_THAT(missingFrom(manPage, help), ::testing::IsEmpty()) << "missing from --help";
}

}  // namespace
}  // namespace dorvane::test
