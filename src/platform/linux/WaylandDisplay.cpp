#include "platform/linux/WaylandDisplay.hpp"

#include <cstdarg>
#include <cstdlib>

namespace dorvane {
namespace {

// What libwayland would have logged on stderr: a relative display name means nothing without
// the runtime folder it lives in.
std::string connectionRefusal() {
    const std::string name = waylandDisplayName();
    const char* runtimeFolder = std::getenv("XDG_RUNTIME_DIR");
    std::string refusal = "cannot connect to the Wayland display " + name;
    if (name.front() != '/' && (runtimeFolder == nullptr || *runtimeFolder == '\0')) {
        refusal += " (XDG_RUNTIME_DIR is not set)";
    }
    return refusal;
}

// libwayland logs its failures on stderr; each one reaches the user once, in our own words.
void ignoreLibraryLog(const char*, va_list) {}

}  // namespace

std::string waylandDisplayName() {
    const char* name = std::getenv("WAYLAND_DISPLAY");
    return name != nullptr && *name != '\0' ? name : "wayland-0";
}

WlDisplayPtr connectToWaylandDisplay(std::string& refusal) {
    wl_log_set_handler_client(ignoreLibraryLog);
    WlDisplayPtr display(wl_display_connect(nullptr));
    if (!display) {
        refusal = connectionRefusal();
    }
    return display;
}

}  // namespace dorvane
