#include "app/StatusCommand.hpp"

namespace dorvane {

// The Mac companion offers its status to no other process yet.
std::unique_ptr<StatusSource> openStatusSource(std::ostream& err) {
    err << "dorvane: status: not available on macOS\n";
    return nullptr;
}

}  // namespace dorvane
