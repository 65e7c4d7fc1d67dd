#pragma once

#include <memory>

#include "platform/linux/DesktopEntryIdentity.hpp"
#include "rules/RunningApplication.hpp"

namespace dorvane {

// Names applications for every desktop backend: a backend hands over what it knows of a window,
// and gets the desktop entry's ID and Name back. Each distinct application is resolved once;
// installing or removing an application (any change to the desktop entries) starts afresh. That
// news arrives on the main context of the thread that made the resolver, so that thread must
// iterate it.
class IdentityResolver {
public:
    IdentityResolver();
    ~IdentityResolver();
    IdentityResolver(IdentityResolver&&) noexcept;
    IdentityResolver& operator=(IdentityResolver&&) noexcept;

    // The title plays no part: it changes while the application stays the same.
    RunningApplication resolve(const WindowFacts& facts);

private:
    class Cache;
    // On the heap, so that the change handler keeps pointing at it when the resolver moves.
    std::unique_ptr<Cache> cache_;
};

}  // namespace dorvane
