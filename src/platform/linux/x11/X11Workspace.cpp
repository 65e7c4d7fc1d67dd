#include "platform/linux/x11/X11Workspace.hpp"

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include <xcb/res.h>

#include "platform/linux/workspace/DisplayLossReasons.hpp"
#include "platform/linux/workspace/ValidUtf8.hpp"
#include "text/UnlessEmpty.hpp"

namespace dorvane {
namespace {

// In 32-bit units: 1 KiB covers any class name or application ID.
constexpr uint32_t propertyLengthLimit = 256;

// A text property's bytes, with the type its owner gave them.
struct TextProperty {
    xcb_atom_t type = XCB_ATOM_NONE;
    std::string bytes;
};

xcb_get_property_cookie_t requestTextProperty(xcb_connection_t* connection, xcb_window_t window,
                                              xcb_atom_t property) {
    return xcb_get_property(connection, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0,
                            propertyLengthLimit);
}

std::optional<TextProperty> textProperty(xcb_connection_t* connection,
                                         xcb_get_property_cookie_t cookie) {
    XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(connection, cookie, nullptr));
    if (!reply || reply->format != 8) {
        return std::nullopt;
    }
    const auto* bytes = static_cast<const char*>(xcb_get_property_value(reply.get()));
    const auto length = static_cast<std::size_t>(xcb_get_property_value_length(reply.get()));
    return TextProperty{reply->type, std::string(bytes, length)};
}

// Names reach menus and D-Bus, which take nothing but UTF-8. STRING is Latin-1 (ICCCM), and a
// client may put any bytes in a UTF8_STRING; text of any other type is not understood.
std::optional<std::string> utf8Text(std::string_view bytes, xcb_atom_t type,
                                    xcb_atom_t utf8StringAtom) {
    if (type == XCB_ATOM_STRING) {
        const GCharPtr text(g_convert(bytes.data(), static_cast<gssize>(bytes.size()), "UTF-8",
                                      "ISO-8859-1", nullptr, nullptr, nullptr));
        return text ? unlessEmpty(text.get()) : std::nullopt;
    }
    if (type == utf8StringAtom) {
        return unlessEmpty(validUtf8(bytes));
    }
    return std::nullopt;
}

// WM_CLASS holds two NUL-terminated strings: the instance, then the class.
void readWmClass(const TextProperty& wmClass, xcb_atom_t utf8StringAtom, WindowFacts& facts) {
    const std::string_view bytes = wmClass.bytes;
    const auto end = bytes.find('\0');
    facts.wmClassInstance = utf8Text(bytes.substr(0, end), wmClass.type, utf8StringAtom);
    if (end != std::string_view::npos) {
        const auto rest = bytes.substr(end + 1);
        facts.wmClassClass =
            utf8Text(rest.substr(0, rest.find('\0')), wmClass.type, utf8StringAtom);
    }
}

xcb_atom_t internAtom(xcb_connection_t* connection, std::string_view name) {
    const auto cookie =
        xcb_intern_atom(connection, 0, static_cast<uint16_t>(name.size()), name.data());
    XcbReply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(connection, cookie, nullptr));
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

// Asks the server which process is at the other end of the connection that created `window`.
// Unlike _NET_WM_PID, which the client writes itself (and from inside a sandbox, in the sandbox's
// PID namespace), the server learns it from the socket.
xcb_res_query_client_ids_cookie_t requestClientProcess(xcb_connection_t* connection,
                                                       xcb_window_t window) {
    const xcb_res_client_id_spec_t asked = {window, XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID};
    return xcb_res_query_client_ids(connection, 1, &asked);
}

// None for a remote client, a server without the extension's version 1.2, or a window gone.
std::optional<uint32_t> clientProcess(xcb_connection_t* connection,
                                      xcb_res_query_client_ids_cookie_t cookie) {
    XcbReply<xcb_res_query_client_ids_reply_t> reply(
        xcb_res_query_client_ids_reply(connection, cookie, nullptr));
    if (!reply) {
        return std::nullopt;
    }
    for (auto ids = xcb_res_query_client_ids_ids_iterator(reply.get()); ids.rem > 0;
         xcb_res_client_id_value_next(&ids)) {
        if ((ids.data->spec.mask & XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID) != 0 &&
            xcb_res_client_id_value_value_length(ids.data) > 0) {
            return *xcb_res_client_id_value_value(ids.data);
        }
    }
    return std::nullopt;
}

std::string flatpakInfoPath(uint32_t pid) {
    return "/proc/" + std::to_string(pid) + "/root/.flatpak-info";
}

}  // namespace

std::unique_ptr<X11Workspace> X11Workspace::open(WorkspaceLossHandler onLost) {
    int screenNumber = 0;
    XcbConnection connection(xcb_connect(nullptr, &screenNumber));
    if (xcb_connection_has_error(connection.get())) {
        return nullptr;
    }
    std::unique_ptr<X11Workspace> workspace(
        new X11Workspace(std::move(connection), screenNumber, std::move(onLost)));
    if (!workspace->ewmh_.initialized() || screenNumber >= workspace->ewmh_.get()->nb_screens) {
        return nullptr;
    }
    workspace->watchRootWindow();
    return workspace;
}

X11Workspace::X11Workspace(XcbConnection connection, int screenNumber, WorkspaceLossHandler onLost)
    : BackendWorkspace(std::move(onLost)),
      connection_(std::move(connection)),
      screenNumber_(screenNumber),
      ewmh_(connection_.get()) {}

std::optional<RunningApplication> X11Workspace::frontmostApplication() {
    const auto window = activeWindow();
    if (!window) {
        return std::nullopt;
    }
    return applicationOf(*window);
}

void X11Workspace::watchRootWindow() {
    xcb_connection_t* connection = connection_.get();
    xcb_prefetch_extension_data(connection, &xcb_res_id);
    root_ = ewmh_.get()->screens[screenNumber_]->root;
    const uint32_t eventMask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(connection, root_, XCB_CW_EVENT_MASK, &eventMask);
    gtkApplicationIdAtom_ = internAtom(connection, "_GTK_APPLICATION_ID");
    const xcb_query_extension_reply_t* resource = xcb_get_extension_data(connection, &xcb_res_id);
    hasResourceExtension_ = resource != nullptr && resource->present;
    watchConnection();
}

// xcb may read events off the socket while it waits for a reply (from frontmostApplication, say);
// those sit in xcb's queue with nothing left to poll, so the queue is looked into before every
// poll. With no check, GLib dispatches when that said so or the descriptor is ready.
void X11Workspace::watchConnection() {
    eventSource_ = watchFd(xcb_get_file_descriptor(connection_.get()), G_IO_IN,
                           {.prepare =
                                [this] {
                                    takeEvents(xcb_poll_for_queued_event);
                                    return activationPending_ || connectionFailed();
                                },
                            .dispatch = [this] { return dispatchEvents(); }});
}

// Whether to go on watching.
bool X11Workspace::dispatchEvents() {
    takeEvents(xcb_poll_for_event);
    if (connectionFailed()) {
        lost(x11ServerLost);
        return false;
    }
    // Several changes read in one batch make one activation: only the latest value matters.
    if (std::exchange(activationPending_, false)) {
        deliverActivation();
    }
    return true;
}

void X11Workspace::takeEvents(xcb_generic_event_t* (*nextEvent)(xcb_connection_t*)) {
    while (XcbEvent event = XcbEvent(nextEvent(connection_.get()))) {
        takeEvent(*event);
    }
}

void X11Workspace::takeEvent(const xcb_generic_event_t& event) {
    switch (event.response_type & ~0x80) {
        case XCB_PROPERTY_NOTIFY:
            if (isActiveWindowChange(reinterpret_cast<const xcb_property_notify_event_t&>(event))) {
                activationPending_ = true;
                activeWindowKnown_ = false;
            }
            break;
        case XCB_DESTROY_NOTIFY:
            windowFacts_.erase(reinterpret_cast<const xcb_destroy_notify_event_t&>(event).window);
            break;
        default:
            break;
    }
}

bool X11Workspace::isActiveWindowChange(const xcb_property_notify_event_t& change) const {
    return change.window == root_ && change.atom == ewmh_.get()->_NET_ACTIVE_WINDOW;
}

bool X11Workspace::connectionFailed() const {
    return xcb_connection_has_error(connection_.get()) != 0;
}

void X11Workspace::deliverActivation() {
    const auto window = activeWindow();
    if (window && observed()) {
        activated(applicationOf(*window));
    }
}

// The tick asks every second. Waiting on the server's reply each time would wake the process a
// second time per tick; the events already on the socket tell whether the last value still holds.
std::optional<xcb_window_t> X11Workspace::activeWindow() {
    takeEvents(xcb_poll_for_event);
    if (!activeWindowKnown_) {
        activeWindow_ = readActiveWindow();
        activeWindowKnown_ = true;
    }
    return activeWindow_;
}

std::optional<xcb_window_t> X11Workspace::readActiveWindow() {
    xcb_window_t window = XCB_WINDOW_NONE;
    const auto cookie = xcb_ewmh_get_active_window(ewmh_.get(), screenNumber_);
    if (!xcb_ewmh_get_active_window_reply(ewmh_.get(), cookie, &window, nullptr) ||
        window == XCB_WINDOW_NONE) {
        return std::nullopt;
    }
    return window;
}

RunningApplication X11Workspace::applicationOf(xcb_window_t window) {
    return resolve(factsOf(window));
}

WindowFacts X11Workspace::factsOf(xcb_window_t window) {
    // Waiting for the active window's reply queued every event sent before it: a DestroyNotify
    // for this very ID must drop the old facts before the cache is asked.
    takeEvents(xcb_poll_for_queued_event);
    if (const auto known = windowFacts_.find(window); known != windowFacts_.end()) {
        return known->second;
    }
    // Watching before reading: if the watch took, the window's destruction reaches us after the
    // facts are stored, and removes them. If not, the window was gone before it could be read.
    const auto watch = watchForDestruction(window);
    auto facts = readFacts(window);
    // The replies read since have completed the watch: checking it costs no round trip.
    if (XcbReply<xcb_generic_error_t> error(xcb_request_check(connection_.get(), watch)); !error) {
        windowFacts_.emplace(window, facts);
    }
    return facts;
}

// Other clients' selections on the window are theirs; this replaces only our own.
xcb_void_cookie_t X11Workspace::watchForDestruction(xcb_window_t window) {
    const uint32_t eventMask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    return xcb_change_window_attributes_checked(connection_.get(), window, XCB_CW_EVENT_MASK,
                                                &eventMask);
}

WindowFacts X11Workspace::readFacts(xcb_window_t window) {
    xcb_connection_t* connection = connection_.get();
    const xcb_atom_t utf8StringAtom = ewmh_.get()->UTF8_STRING;
    const auto wmClassCookie = requestTextProperty(connection, window, XCB_ATOM_WM_CLASS);
    const auto gtkIdCookie = requestTextProperty(connection, window, gtkApplicationIdAtom_);
    std::optional<xcb_res_query_client_ids_cookie_t> processCookie;
    if (hasResourceExtension_) {
        processCookie = requestClientProcess(connection, window);
    }

    WindowFacts facts;
    if (const auto wmClass = textProperty(connection, wmClassCookie)) {
        readWmClass(*wmClass, utf8StringAtom, facts);
    }
    if (const auto gtkId = textProperty(connection, gtkIdCookie)) {
        facts.gtkApplicationId = utf8Text(gtkId->bytes, gtkId->type, utf8StringAtom);
    }
    if (processCookie) {
        if (const auto pid = clientProcess(connection, *processCookie)) {
            facts.flatpakAppId = flatpakAppIdFromInfoFile(flatpakInfoPath(*pid));
        }
    }
    return facts;
}

}  // namespace dorvane
