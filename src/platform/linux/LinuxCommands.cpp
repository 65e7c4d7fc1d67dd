#include "app/PlatformCommands.hpp"
#include "platform/linux/gnome/GnomeExtensionCommand.hpp"

namespace dorvane {

// A desktop whose backend needs setting up first brings its own command.
std::vector<Command> platformCommands() {
    return {gnomeExtensionCommand()};
}

}  // namespace dorvane
