#include "XActiveWindowObserver.hpp"

#include <xcb/xcbext.h>

#include <cstdlib>
#include <memory>
#include <stdexcept>

namespace dorvane::test {

XActiveWindowObserver::XActiveWindowObserver(const std::string& display)
    : connection_(xcb_connect(display.c_str(), nullptr)) {
    if (xcb_connection_has_error(connection_) != 0) {
        xcb_disconnect(connection_);
        throw std::runtime_error("cannot reach the X server at " + display);
    }
    root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
    const std::string name = "_NET_ACTIVE_WINDOW";
    const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&free)> reply(
        xcb_intern_atom_reply(connection_,
                              xcb_intern_atom(connection_, 0, name.size(), name.c_str()), nullptr),
        free);
    activeWindow_ = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    const uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &events);
    xcb_flush(connection_);
}

XActiveWindowObserver::~XActiveWindowObserver() {
    xcb_disconnect(connection_);
}

std::string XActiveWindowObserver::what() const {
    return "xcb client, _NET_ACTIVE_WINDOW naming a window";
}

int XActiveWindowObserver::descriptor() const {
    return xcb_get_file_descriptor(connection_);
}

// Stamped before reading, as the pad is when the poll wakes. Every event read is taken from xcb's
// queue, so that none waits there unseen by the next poll.
std::optional<BareObserver::Clock::time_point> XActiveWindowObserver::arrival(
    Clock::time_point since) {
    readEvents(Clock::now());
    if (xcb_connection_has_error(connection_) != 0) {
        throw std::runtime_error("the bare xcb client lost the X server");
    }
    return firstNamingAWindow(since);
}

void XActiveWindowObserver::readEvents(Clock::time_point readable) {
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
        const auto* change = reinterpret_cast<const xcb_property_notify_event_t*>(event);
        if ((event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY && change->window == root_ &&
            change->atom == activeWindow_) {
            changes_.push_back(
                {xcb_get_property(connection_, 0, root_, activeWindow_, XCB_ATOM_WINDOW, 0, 1),
                 readable});
        }
        free(event);
    }
    xcb_flush(connection_);
}

// The values that have come, in the order asked; a later call takes the rest.
std::optional<BareObserver::Clock::time_point> XActiveWindowObserver::firstNamingAWindow(
    Clock::time_point since) {
    std::optional<Clock::time_point> arrived;
    void* reply = nullptr;
    xcb_generic_error_t* error = nullptr;
    while (!changes_.empty() &&
           xcb_poll_for_reply(connection_, changes_.front().value.sequence, &reply, &error) != 0) {
        const std::unique_ptr<xcb_get_property_reply_t, decltype(&free)> value(
            static_cast<xcb_get_property_reply_t*>(reply), free);
        free(error);
        const bool namesWindow =
            value && xcb_get_property_value_length(value.get()) == sizeof(xcb_window_t) &&
            *static_cast<const xcb_window_t*>(xcb_get_property_value(value.get())) != XCB_NONE;
        if (namesWindow && !arrived && changes_.front().notified >= since) {
            arrived = changes_.front().notified;
        }
        changes_.pop_front();
    }
    return arrived;
}

}  // namespace dorvane::test
