#include <glib.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <string>

#include "app/InstanceLock.hpp"

namespace dorvane {
namespace {

// Each probe of a second companion stays queued, never accepted, until the holder ends; past
// this many the holder cannot be told and the lock file decides.
constexpr int probeBacklog = 64;

// An abstract socket address: no file behind it, one per network namespace, named after the
// user ID alone.
struct AbstractAddress {
    sockaddr_un address{};
    socklen_t length = 0;

    AbstractAddress() {
        const std::string name = "dorvane-" + std::to_string(getuid());
        address.sun_family = AF_UNIX;
        name.copy(address.sun_path + 1, sizeof address.sun_path - 1);
        length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
    }
    const sockaddr* get() const { return reinterpret_cast<const sockaddr*>(&address); }
};

// Any user may bind any abstract name, so the holder's credentials tell a companion of this
// user from a squatter. One that does not listen is no companion.
bool heldByThisUser(const AbstractAddress& name) {
    const int probe = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (probe < 0) {
        return false;
    }
    ucred holder{};
    socklen_t size = sizeof holder;
    const bool ours = connect(probe, name.get(), name.length) == 0 &&
                      getsockopt(probe, SOL_SOCKET, SO_PEERCRED, &holder, &size) == 0 &&
                      holder.uid == getuid();
    close(probe);
    return ours;
}

}  // namespace

// The holder listens, never accepts: a probe's connection carries the holder's credentials
// without it.
InstanceName claimInstanceName() {
    const AbstractAddress name;
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return {-1, InstanceName::Claim::undecided};
    }
    if (bind(fd, name.get(), name.length) == 0) {
        listen(fd, probeBacklog);
        return {fd, InstanceName::Claim::held};
    }
    const bool taken = errno == EADDRINUSE;
    close(fd);
    const bool ours = taken && heldByThisUser(name);
    return {-1, ours ? InstanceName::Claim::heldByAnother : InstanceName::Claim::undecided};
}

// XDG_RUNTIME_DIR: private to the user and emptied at logout; GLib falls back to the user's
// cache folder where a session sets none.
std::filesystem::path instanceLockFile() {
    return std::filesystem::path(g_get_user_runtime_dir()) / "dorvane.lock";
}

}  // namespace dorvane
