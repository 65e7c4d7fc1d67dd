#pragma once

#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>

#include <cstdlib>
#include <memory>

namespace dorvane {

struct XcbConnectionCloser {
    void operator()(xcb_connection_t* connection) const { xcb_disconnect(connection); }
};

// xcb_connect returns a connection object even when it fails; it must be disconnected either way.
using XcbConnection = std::unique_ptr<xcb_connection_t, XcbConnectionCloser>;

struct XcbFree {
    void operator()(void* memory) const { std::free(memory); }
};

// Replies, events and errors are malloc'ed by xcb and handed to the caller.
template <typename Reply>
using XcbReply = std::unique_ptr<Reply, XcbFree>;

using XcbEvent = XcbReply<xcb_generic_event_t>;

// The EWMH atoms of one connection. The connection must outlive it.
class EwmhConnection {
public:
    explicit EwmhConnection(xcb_connection_t* connection) {
        xcb_intern_atom_cookie_t* cookies = xcb_ewmh_init_atoms(connection, &ewmh_);
        // On failure the library has already released what it allocated.
        initialized_ = cookies != nullptr && xcb_ewmh_init_atoms_replies(&ewmh_, cookies, nullptr);
    }
    ~EwmhConnection() {
        if (initialized_) {
            xcb_ewmh_connection_wipe(&ewmh_);
        }
    }
    EwmhConnection(const EwmhConnection&) = delete;
    EwmhConnection& operator=(const EwmhConnection&) = delete;

    bool initialized() const { return initialized_; }
    xcb_ewmh_connection_t* get() { return &ewmh_; }
    const xcb_ewmh_connection_t* get() const { return &ewmh_; }

private:
    xcb_ewmh_connection_t ewmh_{};
    bool initialized_ = false;
};

}  // namespace dorvane
