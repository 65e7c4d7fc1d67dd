#include "testbed/WlrootsDesktop.hpp"

#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <stdexcept>

#include "support/Eventually.hpp"

namespace dorvane::test {
namespace {

using namespace std::chrono_literals;

constexpr auto startTimeout = 10s;
constexpr auto stopTimeout = 5s;

// The account every Debian system has; no new account is made.
constexpr int nobody = 65534;

bool onPath(const std::string& program) {
    return runCommand({"sh", "-c", "command -v " + program}).exitCode == 0;
}

// The compositor reads its configuration, and makes its sockets, as nobody.
void giveToNobody(const std::filesystem::path& folder) {
    const auto give = [](const std::filesystem::path& path) {
        if (chown(path.c_str(), nobody, nobody) != 0) {
            throw std::runtime_error("cannot give " + path.string() + " to nobody");
        }
    };
    give(folder);
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        give(entry.path());
    }
}

}  // namespace

const char* programOf(WlrootsCompositor compositor) {
    return compositor == WlrootsCompositor::sway ? "sway" : "labwc";
}

std::optional<std::string> WlrootsDesktop::unavailable(WlrootsCompositor compositor) {
    if (compositor == WlrootsCompositor::sway) {
        if (onPath("sway") && onPath("foot")) {
            return std::nullopt;
        }
        return "sway or foot is not installed (scripts/install-deps installs both)";
    }
    if (onPath("labwc") && onPath("wlrctl") && onPath("foot")) {
        return std::nullopt;
    }
    return "labwc, wlrctl or foot is not installed (scripts/install-deps installs them where the "
           "release packages labwc: Debian 13 on)";
}

WlrootsDesktop::WlrootsDesktop(WlrootsCompositor compositor) : compositor_(compositor) {
    start();
}

WlrootsDesktop::~WlrootsDesktop() {
    ipc_.reset();
    clients_.clear();
    if (compositorProcess_ && !compositorProcess_->waitFor(0ms)) {
        compositorProcess_->signal(SIGTERM);
        compositorProcess_->waitFor(stopTimeout);
    }
}

void WlrootsDesktop::start() {
    const auto command = compositorCommand();
    giveToNobody(runtime_.path());
    compositorProcess_ = startAsNobody(command, compositorLog(),
                                       {{"WLR_BACKENDS", "headless"},
                                        {"WLR_LIBINPUT_NO_DEVICES", "1"},
                                        {"WLR_RENDERER", "pixman"}});
    waylandSocket_ = waitForSocket("wayland-", "");
    if (compositor_ == WlrootsCompositor::sway) {
        connectToSway();
    }
}

std::vector<std::string> WlrootsDesktop::compositorCommand() {
    if (compositor_ == WlrootsCompositor::sway) {
        writeFile(runtime_ / "config", "output * resolution 1280x800\n");
        return {"sway", "-c", runtime_ / "config"};
    }
    writeFile(runtime_ / "labwc/rc.xml", "<?xml version=\"1.0\"?><labwc_config></labwc_config>\n");
    return {"labwc", "-C", runtime_ / "labwc"};
}

void WlrootsDesktop::connectToSway() {
    ipcSocket_ = waitForSocket("sway-ipc.", ".sock");
    // The socket is there before sway answers on it.
    eventually(
        [&] {
            try {
                ipc_ = std::make_unique<SwayIpc>(ipcSocket_);
                ipc_->send(SwayIpc::getVersionMessage, "");
                ipc_->receiveReply();
                return true;
            } catch (const std::runtime_error&) {
                ipc_.reset();
                return false;
            }
        },
        startTimeout);
    if (!ipc_) {
        throw std::runtime_error("sway does not answer on " + ipcSocket_);
    }
}

// `command` runs as nobody with the runtime folder for its home, started there, its output going
// to `log`. --pdeathsig keep: changing the user clears the parent-death signal that ties the
// process to the test, and setpriv sets it again.
std::unique_ptr<ChildProcess> WlrootsDesktop::startAsNobody(
    const std::vector<std::string>& command, const std::filesystem::path& log,
    std::map<std::string, std::string> environment) {
    const std::string id = std::to_string(nobody);
    std::vector<std::string> argv = {"sh", "-c", "exec \"$@\" >\"$0\" 2>&1", log};
    argv.insert(argv.end(), {"setpriv", "--reuid=" + id, "--regid=" + id, "--clear-groups",
                             "--pdeathsig", "keep"});
    argv.insert(argv.end(), command.begin(), command.end());
    environment.insert({{"HOME", runtime_.path()}, {"XDG_RUNTIME_DIR", runtime_.path()}});
    return std::make_unique<ChildProcess>(argv, environment, runtime_.path());
}

std::string WlrootsDesktop::waitForSocket(const std::string& prefix,
                                          const std::string& suffix) const {
    std::string found;
    eventually(
        [&] {
            std::error_code notYet;
            for (const auto& entry : std::filesystem::directory_iterator(runtime_.path(), notYet)) {
                const std::string name = entry.path().filename();
                if (name.starts_with(prefix) && name.ends_with(suffix) &&
                    !name.ends_with(".lock") && entry.is_socket(notYet)) {
                    found = entry.path();
                    return true;
                }
            }
            return false;
        },
        startTimeout);
    if (found.empty()) {
        throw std::runtime_error(std::string(programOf(compositor_)) + " did not start: see " +
                                 compositorLog().string());
    }
    return found;
}

std::map<std::string, std::string> WlrootsDesktop::environment() const {
    return {{"WAYLAND_DISPLAY", waylandSocket_},
            {"XDG_RUNTIME_DIR", clientRuntime_.path()},
            {"DISPLAY", ""}};
}

void WlrootsDesktop::startClient(const std::string& appId) {
    clients_.push_back(startAsNobody({"foot", "--app-id=" + appId, "sleep", "infinity"},
                                     runtime_ / (appId + ".log"),
                                     {{"WAYLAND_DISPLAY", waylandSocket_}}));
    if (!eventually([&] { return lists(appId); }, startTimeout)) {
        throw std::runtime_error("no window of " + appId + " appeared");
    }
}

bool WlrootsDesktop::lists(const std::string& appId) const {
    if (compositor_ == WlrootsCompositor::sway) {
        return ipc_->runCommand("[app_id=\"" + appId + "\"] nop");
    }
    return wlrctl({"find", "app_id:" + appId});
}

void WlrootsDesktop::focus(const std::string& appId) {
    if (compositor_ == WlrootsCompositor::sway) {
        swayCommand("[app_id=\"" + appId + "\"] focus");
        return;
    }
    // Focus is labwc's to give: wait until it reports it, as sway's reply to a command does.
    wlrctl({"focus", "app_id:" + appId});
    if (!eventually(
            [&] {
                return wlrctl({"find", "app_id:" + appId, "state:active"});
            },
            startTimeout)) {
        throw std::runtime_error("labwc did not focus " + appId);
    }
}

void WlrootsDesktop::showNothing() {
    if (compositor_ == WlrootsCompositor::sway) {
        swayCommand("workspace 2");
        return;
    }
    // The focused window goes last: labwc gives the focus to the next window left on screen.
    wlrctl({"minimize", "state:inactive"});
    wlrctl({"minimize", "state:active"});
    if (!eventually([&] { return !wlrctl({"find", "state:unminimized"}); }, startTimeout)) {
        throw std::runtime_error("labwc left a window on screen");
    }
}

void WlrootsDesktop::swayCommand(const std::string& command) {
    if (!ipc_->runCommand(command)) {
        throw std::runtime_error("sway refused: " + command);
    }
}

bool WlrootsDesktop::wlrctl(const std::vector<std::string>& arguments) const {
    std::vector<std::string> argv = {"wlrctl", "toplevel"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return runCommand(argv, environment()).exitCode == 0;
}

std::filesystem::path WlrootsDesktop::compositorLog() const {
    return runtime_ / (std::string(programOf(compositor_)) + ".log");
}

void WlrootsDesktop::kill() {
    ipc_.reset();
    compositorProcess_->signal(SIGKILL);
    compositorProcess_->waitFor(stopTimeout);
}

}  // namespace dorvane::test
