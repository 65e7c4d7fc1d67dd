#pragma once

#include "platform/linux/DesktopEntryIdentity.hpp"
#include "rules/RunningApplication.hpp"

namespace dorvane {

// Names applications for every desktop backend: a backend hands over what it knows of a window,
// and gets the desktop entry's ID and Name back.
class IdentityResolver {
public:
    RunningApplication resolve(const WindowFacts& facts);
};

}  // namespace dorvane
