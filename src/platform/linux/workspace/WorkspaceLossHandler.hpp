#pragma once

#include <functional>
#include <string>

namespace dorvane {

// Called once, on the main loop, when the desktop a backend follows is gone; `reason` fits in a
// one-line message. Nothing is delivered afterwards.
using WorkspaceLossHandler = std::function<void(const std::string& reason)>;

}  // namespace dorvane
