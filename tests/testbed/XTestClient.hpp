#pragma once

#include <xcb/xcb.h>

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/linux/x11/XcbHandles.hpp"

namespace dorvane::test {

// An X client of a test's own, for windows that no ready-made program makes. Its windows stay
// unmapped, so the window manager leaves them alone. Each call returns once the server has
// applied it.
class XTestClient {
public:
    explicit XTestClient(const std::string& display)
        : connection_(xcb_connect(display.c_str(), nullptr)) {
        if (xcb_connection_has_error(connection_.get())) {
            throw std::runtime_error("cannot connect to " + display);
        }
        root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_.get())).data->root;
    }

    xcb_window_t newWindowId() { return xcb_generate_id(connection_.get()); }

    // `wmClass` is the property's raw bytes, of type `wmClassType` (STRING or UTF8_STRING).
    void createWindow(xcb_window_t window, const std::string& wmClassType,
                      std::string_view wmClass) {
        xcb_create_window(connection_.get(), 0, window, root_, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
        changeProperty(window, "WM_CLASS", atom(wmClassType), 8, wmClass.data(), wmClass.size());
        sync();
    }

    void destroyWindow(xcb_window_t window) {
        xcb_destroy_window(connection_.get(), window);
        sync();
    }

    // Writes _NET_ACTIVE_WINDOW as the window manager would, each value in turn.
    void setActiveWindow(const std::vector<xcb_window_t>& values) {
        for (const xcb_window_t value : values) {
            changeProperty(root_, "_NET_ACTIVE_WINDOW", XCB_ATOM_WINDOW, 32, &value, 1);
        }
        sync();
    }

    void setWmPid(xcb_window_t window, uint32_t pid) {
        changeProperty(window, "_NET_WM_PID", XCB_ATOM_CARDINAL, 32, &pid, 1);
        sync();
    }

private:
    xcb_atom_t atom(const std::string& name) {
        XcbReply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
            connection_.get(),
            xcb_intern_atom(connection_.get(), 0, static_cast<uint16_t>(name.size()), name.data()),
            nullptr));
        return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    }

    void changeProperty(xcb_window_t window, const std::string& name, xcb_atom_t type,
                        uint8_t format, const void* data, std::size_t count) {
        xcb_change_property(connection_.get(), XCB_PROP_MODE_REPLACE, window, atom(name), type,
                            format, static_cast<uint32_t>(count), data);
    }

    void sync() {
        XcbReply<xcb_get_input_focus_reply_t> reply(xcb_get_input_focus_reply(
            connection_.get(), xcb_get_input_focus(connection_.get()), nullptr));
    }

    XcbConnection connection_;
    xcb_window_t root_ = XCB_WINDOW_NONE;
};

}  // namespace dorvane::test
