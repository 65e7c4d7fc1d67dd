#include "platform/linux/desktop/GdkDisplayLoss.hpp"

#include <gdk/gdkwayland.h>
#include <gdk/gdkx.h>
#include <poll.h>
#include <unistd.h>

#include <cstdio>
#include <optional>

#include "platform/linux/workspace/DisplayLossReasons.hpp"

namespace dorvane {
namespace {

struct DisplayConnection {
    int descriptor;
    const char* lossReason;
};

std::optional<DisplayConnection> connectionOf(GdkDisplay* display) {
    if (display == nullptr) {
        return std::nullopt;
    }
    if (GDK_IS_WAYLAND_DISPLAY(display)) {
        return DisplayConnection{wl_display_get_fd(gdk_wayland_display_get_wl_display(display)),
                                 waylandCompositorLost};
    }
    if (GDK_IS_X11_DISPLAY(display)) {
        return DisplayConnection{ConnectionNumber(gdk_x11_display_get_xdisplay(display)),
                                 x11ServerLost};
    }
    return std::nullopt;
}

bool hungUp(int descriptor) {
    pollfd probe{descriptor, POLLIN, 0};
    return poll(&probe, 1, 0) == 1 && (probe.revents & (POLLHUP | POLLERR)) != 0;
}

bool fromGdk(const GLogField* fields, gsize count) {
    for (gsize i = 0; i < count; ++i) {
        if (g_strcmp0(fields[i].key, "GLIB_DOMAIN") == 0) {
            return fields[i].length < 0 &&
                   g_strcmp0(static_cast<const char*>(fields[i].value), "Gdk") == 0;
        }
    }
    return false;
}

// A GDK line is taken for the display's end only when its socket has really hung up; every other
// line goes out as GLib would write it.
GLogWriterOutput writeLine(GLogLevelFlags level, const GLogField* fields, gsize count, gpointer) {
    if (fromGdk(fields, count)) {
        const auto connection = connectionOf(gdk_display_get_default());
        if (connection && hungUp(connection->descriptor)) {
            std::fprintf(stderr, "dorvane: %s\n", connection->lossReason);
            _exit(1);
        }
    }
    return g_log_writer_default(level, fields, count, nullptr);
}

}  // namespace

// GTK logs through the structured API, so a writer sees its lines where a handler would not.
void endWithOurLineWhenGdkLosesItsDisplay() {
    g_log_set_writer_func(writeLine, nullptr, nullptr);
}

}  // namespace dorvane
