#include "support/SwayDesktop.hpp"

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

}  // namespace

bool SwayDesktop::available() {
    return onPath("sway") && onPath("foot");
}

SwayDesktop::SwayDesktop() {
    start();
}

SwayDesktop::~SwayDesktop() {
    ipc_.reset();
    if (sway_ && !sway_->waitFor(0ms)) {
        sway_->signal(SIGTERM);
        sway_->waitFor(stopTimeout);
    }
}

void SwayDesktop::start() {
    const auto folder = runtime_.path();
    // A bare configuration: no bar, no wallpaper, nothing that opens windows of its own.
    writeFile(folder / "config", "output * resolution 1280x800\n");
    std::filesystem::permissions(folder / "config", std::filesystem::perms::owner_read |
                                                        std::filesystem::perms::group_read |
                                                        std::filesystem::perms::others_read);
    if (chown(folder.c_str(), nobody, nobody) != 0) {
        throw std::runtime_error("cannot give " + folder.string() + " to nobody");
    }
    const std::string id = std::to_string(nobody);
    // --pdeathsig keep: changing the user clears the parent-death signal that ties sway to the
    // test, and setpriv sets it again. The test's own desktop variables go: sway takes even an
    // empty one for a name to use.
    sway_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{"sh", "-c", "exec \"$@\" >\"$0/sway.log\" 2>&1", folder, "setpriv",
                                 "--reuid=" + id, "--regid=" + id, "--clear-groups", "--pdeathsig",
                                 "keep", "sway", "-c", folder / "config"},
        std::map<std::string, std::string>{{"HOME", folder},
                                           {"XDG_RUNTIME_DIR", folder},
                                           {"WLR_BACKENDS", "headless"},
                                           {"WLR_LIBINPUT_NO_DEVICES", "1"},
                                           {"WLR_RENDERER", "pixman"}});
    waylandSocket_ = waitForSocket("wayland-", "");
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

std::string SwayDesktop::waitForSocket(const std::string& prefix, const std::string& suffix) const {
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
        throw std::runtime_error("sway did not start: see " + (runtime_ / "sway.log").string());
    }
    return found;
}

std::map<std::string, std::string> SwayDesktop::environment() const {
    return {{"WAYLAND_DISPLAY", waylandSocket_},
            {"XDG_RUNTIME_DIR", clientRuntime_.path()},
            {"DISPLAY", ""}};
}

void SwayDesktop::startClient(const std::string& appId) {
    command("exec foot --app-id=" + appId + " sleep infinity");
    const std::string present = "[app_id=\"" + appId + "\"] nop";
    if (!eventually([&] { return ipc_->runCommand(present); }, startTimeout)) {
        throw std::runtime_error("no window of " + appId + " appeared");
    }
}

void SwayDesktop::focus(const std::string& appId) {
    command("[app_id=\"" + appId + "\"] focus");
}

void SwayDesktop::command(const std::string& command) {
    if (!ipc_->runCommand(command)) {
        throw std::runtime_error("sway refused: " + command);
    }
}

void SwayDesktop::kill() {
    ipc_.reset();
    sway_->signal(SIGKILL);
    sway_->waitFor(stopTimeout);
}

}  // namespace dorvane::test
