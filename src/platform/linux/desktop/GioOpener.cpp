#include "platform/linux/desktop/GioOpener.hpp"

#include <gio/gio.h>

#include "platform/linux/glib/GLibHandles.hpp"

namespace dorvane {

// The user sees that nothing opened; there is nobody else to tell.
void GioOpener::openURL(const std::string& url) {
    GError* error = nullptr;
    g_app_info_launch_default_for_uri(url.c_str(), nullptr, &error);
    g_clear_error(&error);
}

void GioOpener::openFile(const std::filesystem::path& file) {
    const GCharPtr uri(g_filename_to_uri(file.c_str(), nullptr, nullptr));
    if (uri) {
        openURL(uri.get());
    }
}

}  // namespace dorvane
