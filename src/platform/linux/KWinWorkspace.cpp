#include "platform/linux/KWinWorkspace.hpp"

#include <utility>

#include "platform/linux/ReportedWorkspace.hpp"

namespace dorvane {

BackendStart KWinWorkspace::open(LossHandler onLost) {
    std::string failure;
    auto workspace = ReportedWorkspace::open("org.kde.KWin", std::move(onLost), failure);
    return {std::move(workspace), failure};
}

}  // namespace dorvane
