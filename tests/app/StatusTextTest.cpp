// What `dorvane status` and its watch print for each kind of reason and pad state.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

#include "app/StatusText.hpp"

namespace dorvane {
namespace {

using namespace std::chrono_literals;

struct StatusCase {
    const char* name;
    CompanionStatus status;
    const char* why;  // the Why line's text
    const char* pad;  // the Pad line's text
};

const RunningApplication chrome{"google-chrome", "Google Chrome"};
const LayerMatch fromFile{"chrome",
                          LayerMatch::Source::rulesFile,
                          LayerMatch::Item::name,
                          LayerMatch::Test::equals,
                          "google chrome",
                          3};
const LayerMatch builtInPrefix{"cursor",
                               LayerMatch::Source::builtIn,
                               LayerMatch::Item::identifier,
                               LayerMatch::Test::beginsWith,
                               "com.todesktop.",
                               0};

CompanionStatus with(std::optional<RunningApplication> app, std::optional<LayerMatch> match,
                     PadState pad) {
    return {"x11",
            app,
            "chrome",
            match,
            "/home/u/apps.txt",
            pad == PadState::paused,
            pad,
            pad == PadState::connected ? std::optional<std::string>("/dev/ttyACM0") : std::nullopt,
            std::nullopt,
            std::nullopt};
}

const StatusCase cases[] = {
    {"RuleOfTheFile", with(chrome, fromFile, PadState::connected),
     "/home/u/apps.txt:3, the name \"google chrome\"", "connected at /dev/ttyACM0"},
    {"BuiltInRule", with(chrome, builtInPrefix, PadState::notFound),
     "built-in rule, the ID begins with \"com.todesktop.\"", "not found"},
    {"NoRule", with(chrome, std::nullopt, PadState::noPermission), "no rule, so general",
     "no permission (see README)"},
    {"NothingInFront", with(std::nullopt, std::nullopt, PadState::inUse),
     "nothing in front, so general", "in use by another program"},
    {"Paused", with(chrome, fromFile, PadState::paused),
     "/home/u/apps.txt:3, the name \"google chrome\"", "paused (port free for configurator)"},
};

class StatusTextTest : public testing::TestWithParam<StatusCase> {
protected:
    void SetUp() override {
        setenv("TZ", "UTC", 1);
        tzset();
    }
};

TEST_P(StatusTextTest, AlignsOneLinePerAspectAndWatchesInOne) {
    const StatusCase& c = GetParam();
    const bool inFront = c.status.frontmost.has_value();
    const std::string frontmost = inFront ? "Google Chrome (google-chrome)" : "\u2014";

    EXPECT_EQ(statusText(c.status),
              "Backend:    x11\n"
              "Frontmost:  " +
                  frontmost +
                  "\n"
                  "Slot:       chrome\n"
                  "Why:        " +
                  std::string(c.why) +
                  "\n"
                  "Paused:     " +
                  (c.status.paused ? "yes" : "no") +
                  "\n"
                  "Pad:        " +
                  c.pad +
                  "\n"
                  "Last sent:  nothing yet\n");
    EXPECT_EQ(statusLine(c.status),
              "chrome; " + frontmost + "; " + c.why + "; pad " + c.pad + "; sent nothing yet\n");
}

INSTANTIATE_TEST_SUITE_P(Cases, StatusTextTest, testing::ValuesIn(cases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(StatusText, TellsTheLastLineSentAndItsTimeOfDay) {
    setenv("TZ", "UTC", 1);
    tzset();
    CompanionStatus status = with(chrome, fromFile, PadState::connected);
    status.lastLine = "LAYER chrome";
    status.lastLineTime = std::chrono::system_clock::time_point(86400s + 3723s + 500ms);

    EXPECT_NE(statusText(status).find("Last sent:  LAYER chrome at 01:02:03\n"), std::string::npos);
}

}  // namespace
}  // namespace dorvane
