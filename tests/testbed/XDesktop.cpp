#include "testbed/XDesktop.hpp"

#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "support/Eventually.hpp"

namespace dorvane::test {
namespace {

using namespace std::chrono_literals;

constexpr auto startTimeout = 10s;
constexpr auto answerTimeout = 200ms;
constexpr auto stopTimeout = 5s;
constexpr int firstDisplay = 20;
constexpr int displayCount = 80;

std::string socketPath(int display) {
    return "/tmp/.X11-unix/X" + std::to_string(display);
}

std::string lockPath(int display) {
    return "/tmp/.X" + std::to_string(display) + "-lock";
}

bool looksFree(int display) {
    return !std::filesystem::exists(socketPath(display)) &&
           !std::filesystem::exists(lockPath(display));
}

// The X server writes its process ID into the lock file it takes for the display.
pid_t lockOwner(int display) {
    std::ifstream lock(lockPath(display));
    pid_t owner = -1;
    lock >> owner;
    return owner;
}

bool hasExited(ChildProcess& process) {
    return process.waitFor(0ms).has_value();
}

// Servers and window managers chatter on stderr: their output is thrown away.
std::vector<std::string> quietly(const std::vector<std::string>& argv) {
    std::vector<std::string> shell = {"sh", "-c", "exec \"$@\" >/dev/null 2>&1", "sh"};
    shell.insert(shell.end(), argv.begin(), argv.end());
    return shell;
}

}  // namespace

void XDesktop::Terminate::operator()(ChildProcess* process) const {
    if (!hasExited(*process)) {
        process->signal(SIGTERM);
        process->waitFor(stopTimeout);
    }
    delete process;
}

XDesktop::XDesktop() {
    startServer();
    startWindowManager();
}

void XDesktop::startServer() {
    // Tests run in parallel: each process starts looking at a different display.
    const int offset = static_cast<int>(getpid()) % displayCount;
    for (int attempt = 0; attempt < displayCount; ++attempt) {
        const int display = firstDisplay + (offset + attempt) % displayCount;
        if (!looksFree(display)) {
            continue;
        }
        display_ = ":" + std::to_string(display);
        // -noreset: by default the server resets when its last client leaves, as the probe below
        // does, and refuses connections meanwhile.
        server_ = Process(new ChildProcess(quietly(
            {"Xvfb", display_, "-screen", "0", "1280x800x24", "-nolisten", "tcp", "-noreset"})));
        // Another server may win the race for the same display; ours then exits at once.
        const bool settled = eventually(
            [&] {
                return hasExited(*server_) || (lockOwner(display) == server_->pid() && accepts());
            },
            startTimeout);
        if (settled && !hasExited(*server_)) {
            return;
        }
        server_.reset();
    }
    throw std::runtime_error("no free X display for Xvfb");
}

// The socket appears before the server accepts connections; a client that comes too early fails.
bool XDesktop::accepts() const {
    return run({"xdpyinfo"}).exitCode == 0;
}

void XDesktop::startWindowManager() {
    windowManager_ = Process(new ChildProcess(quietly({"openbox"}), ownEnvironment()));
    if (!eventually([&] { return windowManagerAnswers(); }, startTimeout)) {
        throw std::runtime_error("openbox did not start on " + display_);
    }
}

// openbox names itself on the root window before its event loop runs, and drops what clients ask
// in between: an xterm mapped then waits seconds for a reply. Asking for one more desktop, and
// seeing it granted, shows the loop is running; the count is then put back.
bool XDesktop::windowManagerAnswers() const {
    const int desktops = numberOfDesktops();
    if (desktops <= 0 || !setNumberOfDesktops(desktops + 1)) {
        return false;
    }
    return eventually([&] { return setNumberOfDesktops(desktops); }, startTimeout);
}

int XDesktop::numberOfDesktops() const {
    const auto result = run({"xdotool", "get_num_desktops"});
    return result.exitCode == 0 ? std::stoi(result.out) : -1;
}

bool XDesktop::setNumberOfDesktops(int desktops) const {
    run({"xdotool", "set_num_desktops", std::to_string(desktops)});
    return eventually([&] { return numberOfDesktops() == desktops; }, answerTimeout);
}

XDesktop::WindowId XDesktop::startClient(const std::string& wmClass, const std::string& title) {
    // A plain command, not a shell, so nothing retitles the window.
    return startClient({"xterm", "-class", wmClass, "-title", title, "-e", "sleep", "infinity"},
                       title);
}

XDesktop::WindowId XDesktop::startClient(const std::vector<std::string>& argv,
                                         const std::string& title) {
    clients_.emplace_back(new ChildProcess(quietly(argv), ownEnvironment()));
    const auto window = waitForWindow(title);
    if (!window) {
        throw std::runtime_error("no window titled " + title + " appeared");
    }
    return *window;
}

std::optional<XDesktop::WindowId> XDesktop::waitForWindow(const std::string& title,
                                                          std::chrono::milliseconds timeout) const {
    std::string found;
    eventually(
        [&] {
            found = run({"xdotool", "search", "--onlyvisible", "--name", "^" + title + "$"}).out;
            return !found.empty();
        },
        timeout);
    if (found.empty()) {
        return std::nullopt;
    }
    return static_cast<WindowId>(std::stoul(found));
}

void XDesktop::pressKeys(const std::string& keys) const {
    run({"xdotool", "key", keys});
}

void XDesktop::typeText(const std::string& text) const {
    run({"xdotool", "type", "--delay", "20", text});
}

void XDesktop::activate(WindowId window) {
    const auto seconds = std::to_string(startTimeout.count());
    const auto result =
        run({"timeout", seconds, "xdotool", "windowactivate", "--sync", std::to_string(window)});
    if (result.exitCode != 0) {
        throw std::runtime_error("could not activate window " + std::to_string(window) + ": " +
                                 result.err);
    }
}

// The desktop's own programs see the system's data folders, whatever a test set for itself:
// openbox, for one, exits when it finds no theme.
std::map<std::string, std::string> XDesktop::ownEnvironment() const {
    auto ownEnvironment = environment();
    ownEnvironment["XDG_DATA_DIRS"] = "/usr/local/share:/usr/share";
    return ownEnvironment;
}

CommandResult XDesktop::run(const std::vector<std::string>& argv) const {
    return runCommand(argv, ownEnvironment());
}

}  // namespace dorvane::test
