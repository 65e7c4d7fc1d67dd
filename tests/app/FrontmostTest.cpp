// `dorvane frontmost`: the line it prints, and the lines a watch adds at each activation.
#include <gtest/gtest.h>

#include <sstream>
#include <streambuf>
#include <vector>

#include "app/Frontmost.hpp"

namespace dorvane::test {
namespace {

const RunningApplication slack{"com.slack.Slack", "Slack"};
const RunningApplication cursor{"cursor", "Cursor"};

struct LineCase {
    std::optional<RunningApplication> application;
    std::string line;
};

TEST(FrontmostLine, IsBackendIdAndNameWithADashForWhatIsUnknown) {
    const LineCase cases[] = {
        {slack, "wlr\tcom.slack.Slack\tSlack\n"},
        {std::nullopt, "wlr\t\u2014\t\u2014\n"},
        {RunningApplication{std::nullopt, "Figma"}, "wlr\t\u2014\tFigma\n"},
        {RunningApplication{"", "Tab\tand\nbreak"}, "wlr\t\u2014\tTab and break\n"},
    };
    for (const LineCase& c : cases) {
        EXPECT_EQ(frontmostLine("wlr", c.application), c.line);
    }
}

// The desktop plays a script of activations while the loop runs; none names no application,
// as on macOS when a notification lacks it, and the frontmost one is asked for instead.
class ScriptedSource final : public FrontmostSource, public Workspace {
public:
    std::optional<RunningApplication> frontmost;
    std::vector<std::optional<RunningApplication>> activations;
    bool ran = false;
    int activationsPlayed = 0;

    std::string backend() const override { return "x11"; }
    Workspace& workspace() override { return *this; }
    int runUntilInterrupted() override {
        ran = true;
        for (const auto& activation : activations) {
            if (stopped_) {
                break;
            }
            ++activationsPlayed;
            handler_(activation);
        }
        return 0;
    }
    void stopWatching() override { stopped_ = true; }

    std::optional<RunningApplication> frontmostApplication() override { return frontmost; }
    void observeActivations(ActivationHandler handler) override { handler_ = std::move(handler); }

private:
    ActivationHandler handler_;
    bool stopped_ = false;
};

// A pipe whose reader left after the first line, as `frontmost --watch | head -1` leaves it.
class ReaderGoneAfterOneLine final : public std::streambuf {
public:
    std::string received;

protected:
    int_type overflow(int_type c) override {
        if (received.find('\n') != std::string::npos) {
            return traits_type::eof();
        }
        received += traits_type::to_char_type(c);
        return c;
    }
};

TEST(PrintFrontmost, PrintsOnceWithoutWatchingAndALinePerActivationWhenWatching) {
    ScriptedSource once;
    once.frontmost = slack;
    std::ostringstream onceOut;
    EXPECT_EQ(printFrontmost(once, false, onceOut), 0);
    EXPECT_EQ(onceOut.str(), "x11\tcom.slack.Slack\tSlack\n");
    EXPECT_FALSE(once.ran);

    ScriptedSource watched;
    watched.frontmost = cursor;
    watched.activations = {slack, std::nullopt};
    std::ostringstream watchOut;
    EXPECT_EQ(printFrontmost(watched, true, watchOut), 0);
    EXPECT_EQ(watchOut.str(),
              "x11\tcursor\tCursor\nx11\tcom.slack.Slack\tSlack\nx11\tcursor\tCursor\n");
}

TEST(PrintFrontmost, AWatchEndsNormallyAtTheFirstLineItCannotWrite) {
    ScriptedSource watched;
    watched.frontmost = cursor;
    watched.activations = {slack, slack, slack};
    ReaderGoneAfterOneLine pipe;
    std::ostream out(&pipe);

    EXPECT_EQ(printFrontmost(watched, true, out), 0);
    EXPECT_EQ(pipe.received, "x11\tcursor\tCursor\n");
    EXPECT_EQ(watched.activationsPlayed, 1);
}

}  // namespace
}  // namespace dorvane::test
