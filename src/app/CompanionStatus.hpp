#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "rules/LayerMap.hpp"
#include "rules/RunningApplication.hpp"

namespace dorvane {

// The pad's link as the companion last saw it.
enum class PadState { connected, notFound, noPermission, inUse, paused };

// What the companion sees, decided and sent, and why: what `dorvane status` shows. It holds no
// window title.
struct CompanionStatus {
    std::string backend;                          // as `dorvane frontmost` prints it
    std::optional<RunningApplication> frontmost;  // its ID and name as rules see them
    std::optional<std::string> slot;              // none until the first decision
    std::optional<LayerMatch> match;              // none: no rule, so "general"
    std::string rulesFile;                        // where the rules of the file are read from
    bool paused = false;
    PadState pad = PadState::notFound;
    std::optional<std::string> padPath;
    std::optional<std::string> lastLine;  // the last line sent to the pad, without its LF
    std::optional<std::chrono::system_clock::time_point> lastLineTime;

    bool operator==(const CompanionStatus&) const = default;
};

}  // namespace dorvane
