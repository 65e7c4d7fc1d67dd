#include "platform/linux/workspace/WaylandEventSource.hpp"

#include <utility>

#include "platform/linux/workspace/BackendStart.hpp"
#include "platform/linux/workspace/DisplayLossReasons.hpp"
#include "platform/linux/workspace/WaylandDisplay.hpp"
#include "platform/linux/workspace/WorkspaceLossHandler.hpp"

namespace dorvane {
namespace {

// GLib allocates the source as plain memory: members that need constructing live behind a
// pointer, freed in finalize.
struct WaylandSource {
    GSource base;
    wl_display* display;
    WaylandDispatched* dispatched;
    gpointer descriptorTag;
    bool reading;
    bool hungUp;

    static WaylandSource& of(GSource* source) { return *reinterpret_cast<WaylandSource*>(source); }
};

void cancelRead(WaylandSource& source) {
    if (std::exchange(source.reading, false)) {
        wl_display_cancel_read(source.display);
    }
}

gboolean prepare(GSource* source, gint* timeout) {
    *timeout = -1;
    WaylandSource& self = WaylandSource::of(source);
    // GLib skips checking a source when one of higher priority is ready: a read announced then
    // is still pending, and must be withdrawn before another is announced.
    cancelRead(self);
    if (wl_display_prepare_read(self.display) != 0) {
        return TRUE;
    }
    self.reading = true;
    // A failed flush shows up as a failed read.
    wl_display_flush(self.display);
    return FALSE;
}

gboolean check(GSource* source) {
    WaylandSource& self = WaylandSource::of(source);
    if (!self.reading) {
        return FALSE;
    }
    self.reading = false;
    const GIOCondition ready = g_source_query_unix_fd(source, self.descriptorTag);
    if ((ready & G_IO_IN) != 0) {
        // An error stays on the display, and dispatch reports it.
        wl_display_read_events(self.display);
        return TRUE;
    }
    wl_display_cancel_read(self.display);
    if ((ready & (G_IO_ERR | G_IO_HUP)) != 0) {
        self.hungUp = true;
        return TRUE;
    }
    return FALSE;
}

gboolean dispatch(GSource* source, GSourceFunc, gpointer) {
    WaylandSource& self = WaylandSource::of(source);
    std::optional<std::string> failure;
    if (self.hungUp) {
        failure = waylandCompositorLost;
    } else if (wl_display_dispatch_pending(self.display) < 0) {
        failure = waylandConnectionFailure(self.display);
    }
    return (*self.dispatched)(std::move(failure)) ? G_SOURCE_CONTINUE : G_SOURCE_REMOVE;
}

void finalize(GSource* source) {
    WaylandSource& self = WaylandSource::of(source);
    cancelRead(self);
    delete self.dispatched;
}

GSourceFuncs funcs = {prepare, check, dispatch, finalize, nullptr, nullptr};

}  // namespace

GSourcePtr attachWaylandEventSource(wl_display* display, WaylandDispatched dispatched) {
    GSourcePtr source(g_source_new(&funcs, sizeof(WaylandSource)));
    WaylandSource& self = WaylandSource::of(source.get());
    self.display = display;
    self.dispatched = new WaylandDispatched(std::move(dispatched));
    self.reading = false;
    self.hungUp = false;
    self.descriptorTag =
        g_source_add_unix_fd(source.get(), wl_display_get_fd(display),
                             static_cast<GIOCondition>(G_IO_IN | G_IO_ERR | G_IO_HUP));
    // GTK's own connection to the same compositor ends the process at once when it sees the
    // compositor go. When both have seen it, this source is checked first and ends in order.
    g_source_set_priority(source.get(), G_PRIORITY_HIGH);
    g_source_attach(source.get(), nullptr);
    return source;
}

}  // namespace dorvane
