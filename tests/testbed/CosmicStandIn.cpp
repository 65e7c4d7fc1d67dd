// A stand-in for COSMIC's compositor, for tests: it shows no window, but lists toplevels through
// ext_foreign_toplevel_list_v1 and gives their states through zcosmic_toplevel_info_v1, as the
// protocols describe, with toplevels that a test makes, activates and closes over a control
// socket.
//   cosmic_stand_in WAYLAND_SOCKET CONTROL_SOCKET [INFO_VERSION]
// WAYLAND_SOCKET is a name in XDG_RUNTIME_DIR; INFO_VERSION (3 by default, 0 for none) is the
// version the info global is offered at. The control socket takes one command a line and answers
// "ok" once every client has been sent what it caused:
//   open APP_ID      a toplevel of that app ID (and title "APP_ID window") is mapped
//   activate APP_ID  it becomes the activated toplevel, the one activated before no longer is; a
//                    toplevel activated already is sent its states again
//   deactivate       no toplevel is activated
//   close APP_ID     the toplevel is unmapped
//   quit             the compositor goes away: its clients' connections end
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "cosmic-toplevel-info-unstable-v1-server-protocol.h"
#include "ext-foreign-toplevel-list-v1-server-protocol.h"

namespace {

// The newest versions these descriptions define.
constexpr int listVersion = 1;
constexpr int newestInfoVersion = 3;

struct Toplevel {
    std::string appId;
    std::string identifier;
    bool activated = false;
    std::vector<wl_resource*> handles;  // ext_foreign_toplevel_handle_v1, one per list bound
    std::vector<wl_resource*> states;   // zcosmic_toplevel_handle_v1, one per handle asked for
};

class StandIn {
public:
    StandIn(wl_display* display, int infoVersion);

    // The answer to one command line: "ok", or why not.
    std::string run(const std::string& command);
    bool quitting() const { return quitting_; }

private:
    static void bindList(wl_client* client, void* data, uint32_t version, uint32_t id);
    static void bindInfo(wl_client* client, void* data, uint32_t version, uint32_t id);
    static void getCosmicToplevel(wl_client* client, wl_resource* info, uint32_t id,
                                  wl_resource* handle);
    static void destroyRequest(wl_client*, wl_resource* resource) { wl_resource_destroy(resource); }
    static void stopRequest(wl_client*, wl_resource* resource);

    void announce(Toplevel& toplevel, wl_resource* list);
    void sendStates(const Toplevel& toplevel);
    void open(const std::string& appId);
    void activate(Toplevel* toplevel);
    void close(Toplevel& toplevel);
    Toplevel* find(const std::string& appId);
    void sendDone();

    static const struct ext_foreign_toplevel_list_v1_interface listRequests;
    static const struct ext_foreign_toplevel_handle_v1_interface handleRequests;
    static const struct zcosmic_toplevel_info_v1_interface infoRequests;
    static const struct zcosmic_toplevel_handle_v1_interface stateRequests;

    wl_display* display_;
    std::vector<std::unique_ptr<Toplevel>> toplevels_;
    std::vector<wl_resource*> lists_;
    std::vector<wl_resource*> infos_;
    int made_ = 0;
    bool quitting_ = false;
};

void erase(std::vector<wl_resource*>& resources, wl_resource* resource) {
    resources.erase(std::remove(resources.begin(), resources.end(), resource), resources.end());
}

Toplevel* toplevelOf(wl_resource* resource) {
    return static_cast<Toplevel*>(wl_resource_get_user_data(resource));
}

// Every state the toplevel is in: here, activated or none.
void sendState(const Toplevel& toplevel, wl_resource* state) {
    wl_array states;
    wl_array_init(&states);
    if (toplevel.activated) {
        *static_cast<uint32_t*>(wl_array_add(&states, sizeof(uint32_t))) =
            ZCOSMIC_TOPLEVEL_HANDLE_V1_STATE_ACTIVATED;
    }
    zcosmic_toplevel_handle_v1_send_state(state, &states);
    wl_array_release(&states);
}

const struct ext_foreign_toplevel_list_v1_interface StandIn::listRequests = {
    .stop = stopRequest,
    .destroy = destroyRequest,
};

const struct ext_foreign_toplevel_handle_v1_interface StandIn::handleRequests = {
    .destroy = destroyRequest,
};

const struct zcosmic_toplevel_info_v1_interface StandIn::infoRequests = {
    .stop = stopRequest,
    .get_cosmic_toplevel = getCosmicToplevel,
};

const struct zcosmic_toplevel_handle_v1_interface StandIn::stateRequests = {
    .destroy = destroyRequest,
};

StandIn::StandIn(wl_display* display, int infoVersion) : display_(display) {
    wl_global_create(display, &ext_foreign_toplevel_list_v1_interface, listVersion, this, bindList);
    if (infoVersion > 0) {
        wl_global_create(display, &zcosmic_toplevel_info_v1_interface, infoVersion, this, bindInfo);
    }
}

// Both kinds of stop are answered with finished; nothing is announced on them afterwards.
void StandIn::stopRequest(wl_client*, wl_resource* resource) {
    auto& self = *static_cast<StandIn*>(wl_resource_get_user_data(resource));
    if (wl_resource_instance_of(resource, &ext_foreign_toplevel_list_v1_interface, &listRequests)) {
        erase(self.lists_, resource);
        ext_foreign_toplevel_list_v1_send_finished(resource);
    } else {
        erase(self.infos_, resource);
        zcosmic_toplevel_info_v1_send_finished(resource);
    }
}

void StandIn::bindList(wl_client* client, void* data, uint32_t version, uint32_t id) {
    auto& self = *static_cast<StandIn*>(data);
    wl_resource* list =
        wl_resource_create(client, &ext_foreign_toplevel_list_v1_interface, version, id);
    wl_resource_set_implementation(list, &listRequests, &self, [](wl_resource* resource) {
        erase(static_cast<StandIn*>(wl_resource_get_user_data(resource))->lists_, resource);
    });
    self.lists_.push_back(list);
    for (const auto& toplevel : self.toplevels_) {
        self.announce(*toplevel, list);
    }
}

void StandIn::bindInfo(wl_client* client, void* data, uint32_t version, uint32_t id) {
    auto& self = *static_cast<StandIn*>(data);
    wl_resource* info =
        wl_resource_create(client, &zcosmic_toplevel_info_v1_interface, version, id);
    wl_resource_set_implementation(info, &infoRequests, &self, [](wl_resource* resource) {
        erase(static_cast<StandIn*>(wl_resource_get_user_data(resource))->infos_, resource);
    });
    self.infos_.push_back(info);
}

// The new handle's states follow at once, ended by the info's done.
void StandIn::getCosmicToplevel(wl_client* client, wl_resource* info, uint32_t id,
                                wl_resource* handle) {
    wl_resource* state = wl_resource_create(client, &zcosmic_toplevel_handle_v1_interface,
                                            wl_resource_get_version(info), id);
    Toplevel* toplevel = toplevelOf(handle);
    wl_resource_set_implementation(state, &stateRequests, toplevel, [](wl_resource* resource) {
        if (Toplevel* owner = toplevelOf(resource)) {
            erase(owner->states, resource);
        }
    });
    if (toplevel == nullptr) {
        return;  // closed already: the client learns it from the handle
    }
    toplevel->states.push_back(state);
    sendState(*toplevel, state);
    zcosmic_toplevel_info_v1_send_done(info);
}

// Its identifier, title and app ID, ended by the handle's done.
void StandIn::announce(Toplevel& toplevel, wl_resource* list) {
    wl_resource* handle =
        wl_resource_create(wl_resource_get_client(list), &ext_foreign_toplevel_handle_v1_interface,
                           wl_resource_get_version(list), 0);
    wl_resource_set_implementation(handle, &handleRequests, &toplevel, [](wl_resource* resource) {
        if (Toplevel* owner = toplevelOf(resource)) {
            erase(owner->handles, resource);
        }
    });
    toplevel.handles.push_back(handle);
    ext_foreign_toplevel_list_v1_send_toplevel(list, handle);
    ext_foreign_toplevel_handle_v1_send_identifier(handle, toplevel.identifier.c_str());
    ext_foreign_toplevel_handle_v1_send_title(handle, (toplevel.appId + " window").c_str());
    ext_foreign_toplevel_handle_v1_send_app_id(handle, toplevel.appId.c_str());
    ext_foreign_toplevel_handle_v1_send_done(handle);
}

void StandIn::sendStates(const Toplevel& toplevel) {
    for (wl_resource* state : toplevel.states) {
        sendState(toplevel, state);
    }
    // The toplevel's own handle ends its changes too, as COSMIC's compositor does.
    for (wl_resource* handle : toplevel.handles) {
        ext_foreign_toplevel_handle_v1_send_done(handle);
    }
}

void StandIn::open(const std::string& appId) {
    auto toplevel = std::make_unique<Toplevel>();
    toplevel->appId = appId;
    toplevel->identifier = "stand-in-" + std::to_string(++made_);
    for (wl_resource* list : lists_) {
        announce(*toplevel, list);
    }
    toplevels_.push_back(std::move(toplevel));
}

// The one activated before loses the state first; the info's done then ends the batch.
void StandIn::activate(Toplevel* toplevel) {
    for (const auto& other : toplevels_) {
        if (other->activated && other.get() != toplevel) {
            other->activated = false;
            sendStates(*other);
        }
    }
    if (toplevel != nullptr) {
        toplevel->activated = true;
        sendStates(*toplevel);
    }
    sendDone();
}

// Closed is said on the toplevel's handles alone; from version 2 on, its COSMIC handles get
// nothing more.
void StandIn::close(Toplevel& toplevel) {
    for (wl_resource* handle : toplevel.handles) {
        ext_foreign_toplevel_handle_v1_send_closed(handle);
        wl_resource_set_user_data(handle, nullptr);
    }
    for (wl_resource* state : toplevel.states) {
        wl_resource_set_user_data(state, nullptr);
    }
    std::erase_if(toplevels_, [&](const auto& open) { return open.get() == &toplevel; });
}

Toplevel* StandIn::find(const std::string& appId) {
    const auto found = std::find_if(toplevels_.begin(), toplevels_.end(),
                                    [&](const auto& toplevel) { return toplevel->appId == appId; });
    return found != toplevels_.end() ? found->get() : nullptr;
}

void StandIn::sendDone() {
    for (wl_resource* info : infos_) {
        zcosmic_toplevel_info_v1_send_done(info);
    }
}

std::string StandIn::run(const std::string& line) {
    std::istringstream words(line);
    std::string command;
    std::string appId;
    words >> command >> appId;
    Toplevel* toplevel = find(appId);
    if (command == "open" && !appId.empty() && toplevel == nullptr) {
        open(appId);
    } else if (command == "activate" && toplevel != nullptr) {
        activate(toplevel);
    } else if (command == "deactivate") {
        activate(nullptr);
    } else if (command == "close" && toplevel != nullptr) {
        close(*toplevel);
    } else if (command == "quit") {
        quitting_ = true;
    } else {
        return "cannot: " + line;
    }
    wl_display_flush_clients(display_);
    return "ok";
}

// The test's one connection to the control socket, read a line at a time.
struct Control {
    StandIn& standIn;
    std::string buffered;

    static int readable(int fd, uint32_t, void* data) {
        auto& self = *static_cast<Control*>(data);
        char bytes[256];
        const ssize_t count = read(fd, bytes, sizeof bytes);
        if (count <= 0) {
            self.standIn.run("quit");
            return 0;
        }
        self.buffered.append(bytes, static_cast<std::size_t>(count));
        for (auto end = self.buffered.find('\n'); end != std::string::npos;
             end = self.buffered.find('\n')) {
            const std::string answer = self.standIn.run(self.buffered.substr(0, end)) + "\n";
            self.buffered.erase(0, end + 1);
            if (write(fd, answer.data(), answer.size()) < 0) {
                self.standIn.run("quit");
            }
        }
        return 0;
    }
};

int listenOn(const std::string& path) {
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(fd, 1) != 0) {
        return -1;
    }
    return fd;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr,
                     "usage: cosmic_stand_in WAYLAND_SOCKET CONTROL_SOCKET [INFO_VERSION]\n");
        return 2;
    }
    const int infoVersion = argc == 4 ? std::atoi(argv[3]) : newestInfoVersion;
    wl_display* display = wl_display_create();
    if (wl_display_add_socket(display, argv[1]) != 0) {
        std::fprintf(stderr, "cosmic_stand_in: cannot listen on %s\n", argv[1]);
        return 1;
    }
    auto standIn = std::make_unique<StandIn>(display, infoVersion);
    // The control socket last: once it is there, the compositor's socket answers.
    const int listener = listenOn(argv[2]);
    if (listener < 0) {
        std::fprintf(stderr, "cosmic_stand_in: cannot listen on %s\n", argv[2]);
        return 1;
    }
    // One test drives it: the one connection it makes.
    const int connection = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    close(listener);
    Control control{*standIn, {}};
    wl_event_loop* loop = wl_display_get_event_loop(display);
    wl_event_source* commands =
        wl_event_loop_add_fd(loop, connection, WL_EVENT_READABLE, Control::readable, &control);
    while (!standIn->quitting()) {
        wl_display_flush_clients(display);
        wl_event_loop_dispatch(loop, -1);
    }
    wl_event_source_remove(commands);
    close(connection);
    // Clients first, so that their resources' destructors still find the stand-in.
    wl_display_destroy_clients(display);
    wl_display_destroy(display);
    return 0;
}
