#include "platform/linux/desktop/RuntimeLogo.hpp"

#include <glib.h>
#include <unistd.h>

#include <string>
#include <system_error>

namespace dorvane {
namespace {

// Only this user may enter the folder or read the file: g_mkdtemp and g_mkstemp see to that.
bool made(RuntimeLogo::Kind kind, std::string& name) {
    if (kind == RuntimeLogo::Kind::folder) {
        return g_mkdtemp(name.data()) != nullptr;
    }
    const int descriptor = g_mkstemp(name.data());
    if (descriptor < 0) {
        return false;
    }
    ::close(descriptor);
    return true;
}

}  // namespace

RuntimeLogo::RuntimeLogo(Kind kind, std::string_view pattern, const Writer& write) {
    const std::filesystem::path runtime = g_get_user_runtime_dir();
    std::error_code ignored;
    std::filesystem::create_directories(runtime, ignored);
    std::string name = (runtime / pattern).string();
    if (made(kind, name)) {
        path_ = name;
        if (!write(path_)) {
            remove();
        }
    }
}

RuntimeLogo::~RuntimeLogo() {
    remove();
}

void RuntimeLogo::remove() {
    if (!path_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
        path_.clear();
    }
}

}  // namespace dorvane
