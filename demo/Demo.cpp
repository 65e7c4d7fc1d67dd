// Shows the companion at work without a pad or a desktop: the real binary runs on a virtual
// desktop (Xvfb + openbox, or with --wayland headless sway) with an emulated pad, the windows of
// a few applications take turns in front, and every line the pad receives is printed as it
// arrives.
#include <cstdio>
#include <iostream>
#include <vector>

#include "support/Pty.hpp"
#include "testbed/WlrootsSession.hpp"
#include "testbed/X11Session.hpp"

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

// Each scene brings a window to the front, then listens to the pad.
template <typename AnyScene, typename Bring>
void play(const Narrator& narrator, int pad, const std::vector<AnyScene>& scenes, Bring bring) {
    narrator.listen(pad, 1500ms);
    for (int turn = 0; turn < 12; ++turn) {
        const AnyScene& scene = scenes[turn % scenes.size()];
        narrator.say("in front: " + std::string(scene.description));
        bring(scene);
        narrator.listen(pad, 1100ms);
    }
    narrator.say("done");
}

int runOnX11(const std::string& binary) {
    std::cout << "Starting a virtual desktop with three windows and an emulated pad...\n";
    X11Session session;
    const std::vector<Scene> scenes = {
        {session.slack, "Slack (desktop entry com.slack.Slack, found by its window class)"},
        {session.figma, "Figma (no desktop entry, no rule)"},
        {session.chrome, "Google Chrome (desktop entry google-chrome)"},
    };
    Narrator narrator;
    narrator.say("companion starts with Google Chrome in front");
    session.launch(binary, session.chrome);
    play(narrator, session.pad(), scenes,
         [&](const Scene& scene) { session.desktop.activate(scene.window); });
    return 0;
}

struct WaylandScene {
    const char* appId;
    const char* description;
};

int runOnSway(const std::string& binary) {
    std::cout << "Starting headless sway with four windows and an emulated pad...\n";
    WlrootsSession session(WlrootsCompositor::sway);
    const std::vector<WaylandScene> scenes = {
        {WlrootsSession::slack, "Slack (app ID com.slack.Slack, a Flatpak's, with its entry)"},
        {WlrootsSession::figma, "Figma (app ID figma, no desktop entry, no rule)"},
        {WlrootsSession::cursor,
         "Cursor (app ID cursor-url-handler, a hidden entry's; its visible entry is cursor)"},
        {WlrootsSession::chrome, "Google Chrome (app ID google-chrome)"},
    };
    Narrator narrator;
    narrator.say("companion starts with Google Chrome in front");
    session.launch(binary, WlrootsSession::chrome);
    play(narrator, session.pad(), scenes,
         [&](const WaylandScene& scene) { session.desktop.focus(scene.appId); });
    return 0;
}

}  // namespace
}  // namespace dorvane::test

int main(int argc, char** argv) {
    const bool wayland = argc == 3 && std::string(argv[1]) == "--wayland";
    if (argc != 2 && !wayland) {
        std::cerr << "usage: dorvane_demo [--wayland] BINARY\n";
        return 2;
    }
    try {
        return wayland ? dorvane::test::runOnSway(argv[2]) : dorvane::test::runOnX11(argv[1]);
    } catch (const std::exception& error) {
        std::cerr << "dorvane_demo: " << error.what() << '\n';
        return 1;
    }
}
