#include <glib.h>

#include "app/InstanceLock.hpp"

namespace dorvane {

// XDG_RUNTIME_DIR: private to the user and emptied at logout; GLib falls back to the user's
// cache folder where a session sets none.
std::filesystem::path instanceLockFile() {
    return std::filesystem::path(g_get_user_runtime_dir()) / "dorvane.lock";
}

}  // namespace dorvane
