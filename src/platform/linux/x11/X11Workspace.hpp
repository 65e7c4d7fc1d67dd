#pragma once

#include <memory>
#include <optional>
#include <unordered_map>

#include "platform/linux/glib/FdWatch.hpp"
#include "platform/linux/glib/GLibHandles.hpp"
#include "platform/linux/workspace/BackendWorkspace.hpp"
#include "platform/linux/workspace/WorkspaceLossHandler.hpp"
#include "platform/linux/x11/XcbHandles.hpp"

namespace dorvane {

// The X11 desktop as seen through EWMH: the frontmost application is the one owning the root
// window's _NET_ACTIVE_WINDOW, and every change of that property is an activation; one that names
// no window (the window manager clears the property between two windows) is not delivered. Events
// are read from the default GLib main context, so handlers run on the thread iterating it.
class X11Workspace final : public BackendWorkspace {
public:
    // Connects to the display named by DISPLAY; null when no display can be opened or it lacks
    // what EWMH needs. `onLost` hears of a connection that breaks later.
    static std::unique_ptr<X11Workspace> open(WorkspaceLossHandler onLost);

    X11Workspace(const X11Workspace&) = delete;
    X11Workspace& operator=(const X11Workspace&) = delete;

    std::optional<RunningApplication> frontmostApplication() override;

private:
    X11Workspace(XcbConnection connection, int screenNumber, WorkspaceLossHandler onLost);

    void watchRootWindow();
    void watchConnection();
    bool dispatchEvents();
    void takeEvents(xcb_generic_event_t* (*nextEvent)(xcb_connection_t*));
    void takeEvent(const xcb_generic_event_t& event);
    bool isActiveWindowChange(const xcb_property_notify_event_t& change) const;
    bool connectionFailed() const;
    void deliverActivation();
    std::optional<xcb_window_t> activeWindow();
    std::optional<xcb_window_t> readActiveWindow();
    RunningApplication applicationOf(xcb_window_t window);
    xcb_void_cookie_t watchForDestruction(xcb_window_t window);
    WindowFacts factsOf(xcb_window_t window);
    WindowFacts readFacts(xcb_window_t window);

    XcbConnection connection_;
    int screenNumber_;
    EwmhConnection ewmh_;
    xcb_window_t root_ = XCB_WINDOW_NONE;
    xcb_atom_t gtkApplicationIdAtom_ = XCB_ATOM_NONE;
    bool hasResourceExtension_ = false;
    bool activationPending_ = false;
    // The property as last read; every change of it arrives as an event, which clears `known`.
    std::optional<xcb_window_t> activeWindow_;
    bool activeWindowKnown_ = false;
    // Reading a window's facts costs round trips and its sandbox's info file; the once-a-second
    // query must not repeat that. An entry leaves when its window is destroyed: the server hands a
    // closed client's IDs to the next.
    std::unordered_map<xcb_window_t, WindowFacts> windowFacts_;
    // Last member, so the loop stops calling into this object before anything else goes.
    GSourcePtr eventSource_;
};

}  // namespace dorvane
