#include "platform/linux/GnomeShellWorkspace.hpp"

#include <utility>

#include "platform/linux/ReportedWorkspace.hpp"

namespace dorvane {

BackendStart GnomeShellWorkspace::open(LossHandler onLost) {
    std::string failure;
    auto workspace = ReportedWorkspace::open("org.gnome.Shell", std::move(onLost), failure);
    return {std::move(workspace), failure};
}

}  // namespace dorvane
