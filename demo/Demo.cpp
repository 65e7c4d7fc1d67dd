// Shows the companion at work without a pad or a desktop: the real binary runs on a virtual
// desktop (Xvfb + openbox) with an emulated pad, the windows of three applications take turns
// in front, and every line the pad receives is printed as it arrives.
#include <cstdio>
#include <iostream>

#include "support/CompanionSession.hpp"
#include "support/Pty.hpp"

namespace dorvane::test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

struct Scene {
    XDesktop::WindowId window;
    const char* description;
};

class Narrator {
public:
    void say(const std::string& text) const {
        const double seconds = std::chrono::duration<double>(Clock::now() - start_).count();
        std::printf("%5.1f s  %s\n", seconds, text.c_str());
        std::fflush(stdout);
    }

    // Prints each line the pad receives during `duration`.
    void listen(int pad, std::chrono::milliseconds duration) const {
        const auto end = Clock::now() + duration;
        std::string pending;
        while (Clock::now() < end) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
            pending += readFromMaster(pad, 1, left, OnHangUp::keepWaiting);
            if (const auto newline = pending.find('\n'); newline != std::string::npos) {
                say("    pad received: " + pending.substr(0, newline));
                pending.erase(0, newline + 1);
            }
        }
    }

private:
    Clock::time_point start_ = Clock::now();
};

int run(const std::string& binary) {
    std::cout << "Starting a virtual desktop with three windows and an emulated pad...\n";
    CompanionSession session;
    const Scene scenes[] = {
        {session.slack, "Slack (desktop entry com.slack.Slack, found by its window class)"},
        {session.figma, "Figma (no desktop entry, no rule)"},
        {session.chrome, "Google Chrome (desktop entry google-chrome)"},
    };
    Narrator narrator;
    narrator.say("companion starts with Google Chrome in front");
    session.launch(binary, session.chrome);
    narrator.listen(session.pad(), 1500ms);
    for (int turn = 0; turn < 12; ++turn) {
        const Scene& scene = scenes[turn % 3];
        narrator.say("in front: " + std::string(scene.description));
        session.desktop.activate(scene.window);
        narrator.listen(session.pad(), 1100ms);
    }
    narrator.say("done");
    return 0;
}

}  // namespace
}  // namespace dorvane::test

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: dorvane_demo BINARY\n";
        return 2;
    }
    try {
        return dorvane::test::run(argv[1]);
    } catch (const std::exception& error) {
        std::cerr << "dorvane_demo: " << error.what() << '\n';
        return 1;
    }
}
