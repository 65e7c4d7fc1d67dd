#include "app/GnomeExtensionCommand.hpp"

namespace dorvane {

// A Mac has no GNOME Shell, and its companion needs no extension to see the frontmost
// application.
int runGnomeExtensionCommand(GnomeExtensionAction, std::ostream&, std::ostream& err) {
    err << "dorvane: gnome-extension: GNOME Shell runs on Linux only; on macOS the companion "
           "needs no extension\n";
    return 2;
}

}  // namespace dorvane
