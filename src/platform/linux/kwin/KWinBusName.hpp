#pragma once

namespace dorvane {

// KWin's own name on the session bus: the script loader calls it, the workspace trusts its owner.
inline constexpr const char* kwinBusName = "org.kde.KWin";

}  // namespace dorvane
