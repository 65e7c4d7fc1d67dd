#pragma once

#include <optional>
#include <string>

namespace dorvane {

// The controller's state as the status item shows it, read afresh on every rebuild.
struct CompanionState {
    std::optional<std::string> lastLayer;
    std::string frontmostName;
    bool paused = false;
    bool padOpen = false;
    std::optional<std::string> padPath;
    bool padAccessDenied = false;

    bool operator==(const CompanionState&) const = default;
};

}  // namespace dorvane
