#pragma once

#include "platform/linux/WorkspaceFactory.hpp"

namespace dorvane {

// Whether a running companion holds the name that KWin and GNOME Shell report to on the session
// bus. Asked only where one of them could be followed: elsewhere the bus is not even asked.
bool companionHoldsReportName(const WorkspaceEnvironment& environment);

}  // namespace dorvane
