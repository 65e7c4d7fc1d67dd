#pragma once

#include <string>

#include "app/CompanionStatus.hpp"

namespace dorvane {

// What `dorvane status` prints: one line per aspect, a label and its text, the texts aligned.
// Times are the local time of day.
std::string statusText(const CompanionStatus& status);

// What `dorvane status --watch` prints at each change: the same texts on one line, with the slot
// first.
std::string statusLine(const CompanionStatus& status);

}  // namespace dorvane
