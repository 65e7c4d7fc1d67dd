#include "app/PlatformCommands.hpp"

namespace dorvane {

// The workspace reports the frontmost application by itself: there is nothing to set up.
std::vector<Command> platformCommands() {
    return {};
}

}  // namespace dorvane
