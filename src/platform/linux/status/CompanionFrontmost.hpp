#pragma once

#include <memory>
#include <ostream>

#include "app/Frontmost.hpp"
#include "platform/linux/status/StatusClient.hpp"

namespace dorvane {

// `dorvane frontmost` beside a running companion that holds the name KWin and GNOME Shell report
// to: the companion, read through `client`, is asked what it follows. A watch prints a line each
// time the application in front changes; a reactivation of the same one is not told. The end of
// the companion ends the watch with one line on `err` and exit code 1.
std::unique_ptr<FrontmostSource> companionFrontmost(std::unique_ptr<StatusClient> client,
                                                    std::ostream& err);

}  // namespace dorvane
