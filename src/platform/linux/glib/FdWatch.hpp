#pragma once

#include <glib.h>

#include <functional>

#include "platform/linux/glib/GLibHandles.hpp"

namespace dorvane {

// What a watch over one descriptor does at each stage of a main-loop iteration, for a library
// that keeps a queue of its own beside the socket (xcb, libwayland). A hook left empty does
// nothing and says no.
struct FdWatchHooks {
    // Before the poll: whether to dispatch without waiting for the descriptor.
    std::function<bool()> prepare = {};
    // After the poll, with what the descriptor showed: whether to dispatch. GLib dispatches all
    // the same when the descriptor showed anything, as with no check at all.
    std::function<bool(GIOCondition ready)> check = {};
    // Whether to go on watching.
    std::function<bool()> dispatch = {};
    // When the source goes, after its last dispatch.
    std::function<void()> finalize = {};
};

// Watches `descriptor` for `events` on the default main context, at `priority`, until the source
// is destroyed. The hooks run on the thread iterating that context and must not outlive what they
// call into: destroying the source first is enough.
GSourcePtr watchFd(int descriptor, GIOCondition events, FdWatchHooks hooks,
                   int priority = G_PRIORITY_DEFAULT);

}  // namespace dorvane
