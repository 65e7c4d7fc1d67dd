#include "platform/linux/desktop/NotificationIcon.hpp"

#include <glib.h>

#include "platform/linux/glib/GLibHandles.hpp"
#include "platform/linux/logo/CairoLogo.hpp"

namespace dorvane {

std::string NotificationIcon::uri() {
    if (!file_) {
        // The application icon: a notification is no symbolic icon that the desktop recolours.
        file_.emplace(RuntimeLogo::Kind::file, "dorvane-XXXXXX.svg", writeApplicationLogo);
    }
    if (file_->path().empty()) {
        return "";
    }
    GCharPtr uri(g_filename_to_uri(file_->path().c_str(), nullptr, nullptr));
    return uri ? uri.get() : "";
}

}  // namespace dorvane
