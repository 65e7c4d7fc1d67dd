#pragma once

#include <xcb/xcb.h>

#include <deque>
#include <string>

#include "BareObserver.hpp"

namespace dorvane::test {

// A bare xcb client on `display` that watches the root window's _NET_ACTIVE_WINDOW: the arrival
// of the PropertyNotify, which the window manager's change brings to every client watching, the
// companion's among them, for a change that names a window. A window manager may first set it to
// None as the old window loses focus, which no observer can act on; the value is read without
// waiting, so that the benchmark stays free to see the pad.
class XActiveWindowObserver : public BareObserver {
public:
    explicit XActiveWindowObserver(const std::string& display);
    ~XActiveWindowObserver() override;
    XActiveWindowObserver(const XActiveWindowObserver&) = delete;
    XActiveWindowObserver& operator=(const XActiveWindowObserver&) = delete;

    std::string what() const override;
    int descriptor() const override;
    std::optional<Clock::time_point> arrival(Clock::time_point since) override;

private:
    struct Change {
        xcb_get_property_cookie_t value;
        Clock::time_point notified;
    };

    void readEvents(Clock::time_point readable);
    std::optional<Clock::time_point> firstNamingAWindow(Clock::time_point since);

    xcb_connection_t* connection_;
    xcb_window_t root_ = 0;
    xcb_atom_t activeWindow_ = 0;
    std::deque<Change> changes_;  // oldest first, their values not yet read
};

}  // namespace dorvane::test
