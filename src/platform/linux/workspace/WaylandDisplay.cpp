#include "platform/linux/workspace/WaylandDisplay.hpp"

#include <poll.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstdarg>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "platform/linux/system/EnvironmentVariable.hpp"
#include "platform/linux/workspace/BackendStart.hpp"
#include "platform/linux/workspace/DisplayLossReasons.hpp"
#include "platform/linux/workspace/WorkspaceLossHandler.hpp"

namespace dorvane {
namespace {

// It holds the socket across KWin's restarts, so the kernel names it, not KWin, as the listener.
constexpr const char* kwinSocketHolder = "kwin_wayland_wrapper";

// What libwayland would have logged on stderr: a relative display name means nothing without
// the runtime folder it lives in.
std::string connectionRefusal() {
    const std::string name = waylandDisplayName();
    const auto runtimeFolder = environmentVariable("XDG_RUNTIME_DIR");
    std::string refusal = "cannot connect to the Wayland display " + name;
    if (name.front() != '/' && (!runtimeFolder || runtimeFolder->empty())) {
        refusal += " (XDG_RUNTIME_DIR is not set)";
    }
    return refusal;
}

// libwayland logs its failures on stderr; each one reaches the user once, in our own words.
void ignoreLibraryLog(const char*, va_list) {}

struct WlCallbackDestroy {
    void operator()(wl_callback* callback) const { wl_callback_destroy(callback); }
};

const wl_callback_listener answeredListener = {
    .done = [](void* answered, wl_callback*, uint32_t) { *static_cast<bool*>(answered) = true; },
};

// Dispatches what the compositor sent, waiting for it until `deadline` at most, with
// libwayland's read protocol: the read is announced (or what is queued already is dispatched),
// then taken or withdrawn. Why the round trip failed, when it did.
std::optional<RoundTrip> dispatchWithin(wl_display* display,
                                        std::chrono::steady_clock::time_point deadline) {
    if (wl_display_prepare_read(display) != 0) {
        if (wl_display_dispatch_pending(display) < 0) {
            return RoundTrip::broken;
        }
        return std::nullopt;
    }
    if (wl_display_flush(display) < 0 && errno != EAGAIN) {
        wl_display_cancel_read(display);
        return RoundTrip::broken;
    }
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    pollfd readable{wl_display_get_fd(display), POLLIN, 0};
    int ready = 0;
    do {
        ready = left.count() > 0 ? poll(&readable, 1, static_cast<int>(left.count())) : 0;
    } while (ready < 0 && errno == EINTR);
    if (ready <= 0) {
        wl_display_cancel_read(display);
        return ready == 0 ? RoundTrip::unanswered : RoundTrip::broken;
    }
    if (wl_display_read_events(display) < 0 || wl_display_dispatch_pending(display) < 0) {
        return RoundTrip::broken;
    }
    return std::nullopt;
}

std::optional<pid_t> parentOf(pid_t process) {
    std::ifstream stat("/proc/" + std::to_string(process) + "/stat");
    const std::string line((std::istreambuf_iterator<char>(stat)), {});
    // The program's name, in parentheses, may hold anything, even ") ".
    const auto nameEnd = line.rfind(')');
    if (nameEnd == std::string::npos) {
        return std::nullopt;
    }
    std::istringstream fields(line.substr(nameEnd + 1));
    char state = 0;
    pid_t parent = 0;
    if (!(fields >> state >> parent)) {
        return std::nullopt;
    }
    return parent;
}

// As it was started: its executable may have been replaced by an upgrade since.
std::string programOf(pid_t process) {
    std::ifstream commandLine("/proc/" + std::to_string(process) + "/cmdline");
    std::string first;
    std::getline(commandLine, first, '\0');
    return std::filesystem::path(first).filename();
}

}  // namespace

std::string waylandDisplayName() {
    const auto name = environmentVariable("WAYLAND_DISPLAY");
    return name && !name->empty() ? std::string(*name) : "wayland-0";
}

WlDisplayPtr connectToWaylandDisplay(std::string& refusal) {
    wl_log_set_handler_client(ignoreLibraryLog);
    WlDisplayPtr display(wl_display_connect(nullptr));
    if (!display) {
        refusal = connectionRefusal();
    }
    return display;
}

RoundTrip roundTrip(wl_display* display, std::chrono::milliseconds patience) {
    const auto deadline = std::chrono::steady_clock::now() + patience;
    bool answered = false;
    const std::unique_ptr<wl_callback, WlCallbackDestroy> sync(wl_display_sync(display));
    wl_callback_add_listener(sync.get(), &answeredListener, &answered);
    while (!answered) {
        if (const auto failure = dispatchWithin(display, deadline)) {
            return *failure;
        }
    }
    return RoundTrip::answered;
}

std::string waylandConnectionFailure(wl_display* display) {
    if (wl_display_get_error(display) != EPROTO) {
        return waylandCompositorLost;
    }
    const wl_interface* interface = nullptr;
    const uint32_t code = wl_display_get_protocol_error(display, &interface, nullptr);
    return std::string("the Wayland compositor refused this client (") +
           (interface != nullptr ? interface->name : "unknown interface") + " error " +
           std::to_string(code) + ")";
}

std::string waylandRoundTripFailure(wl_display* display) {
    switch (roundTrip(display)) {
        case RoundTrip::answered:
            return {};
        case RoundTrip::broken:
            return waylandConnectionFailure(display);
        case RoundTrip::unanswered:
            break;
    }
    return "the Wayland compositor at " + waylandDisplayName() + " did not answer within " +
           std::to_string(waylandAnswerTimeout.count()) + " s";
}

std::optional<pid_t> displayServerOf(wl_display* display) {
    ucred credentials{};
    socklen_t length = sizeof credentials;
    if (getsockopt(wl_display_get_fd(display), SOL_SOCKET, SO_PEERCRED, &credentials, &length) !=
            0 ||
        credentials.pid <= 0) {
        return std::nullopt;
    }
    return credentials.pid;
}

bool servesDisplay(pid_t process, pid_t server) {
    return process == server ||
           (parentOf(process) == server && programOf(server) == kwinSocketHolder);
}

}  // namespace dorvane
