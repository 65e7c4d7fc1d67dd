#pragma once

#include <optional>
#include <string>

#include "platform/linux/desktop/RuntimeLogo.hpp"

namespace dorvane {

// The icon notifications show, drawn into a file of this process's own in the user's runtime
// folder at the first notification and removed when destroyed.
class NotificationIcon {
public:
    // The file's address, as the notification server reads it; empty when it cannot be drawn.
    std::string uri();

private:
    std::optional<RuntimeLogo> file_;
};

}  // namespace dorvane
