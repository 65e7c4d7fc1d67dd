#pragma once

#include <cstddef>
#include <memory>

#include "platform/linux/workspace/DesktopEntryIdentity.hpp"
#include "rules/RunningApplication.hpp"

namespace dorvane {

// Names applications for every desktop backend: a backend hands over what it knows of a window,
// and gets the desktop entry's ID and Name back. Each distinct application is resolved once, and
// the answers for the most recently seen ones are kept; installing or removing an application (any
// change to the desktop entries) starts afresh. That news arrives on the main context of the
// thread that made the resolver, so that thread must iterate it.
//
// Other programs choose what a backend hands over (a window's class, a compositor's report) and
// what the desktop entries say, so every text in and out is cut to `maxTextBytes`, and the
// answers kept are at most `keptAnswers`: made-up classes cost a bounded amount of memory.
class IdentityResolver {
public:
    // No ID, class or name of a real application comes near.
    static constexpr std::size_t maxTextBytes = 512;
    // A session runs dozens of applications.
    static constexpr std::size_t keptAnswers = 256;

    IdentityResolver();
    ~IdentityResolver();
    IdentityResolver(const IdentityResolver&) = delete;
    IdentityResolver& operator=(const IdentityResolver&) = delete;

    RunningApplication resolve(const WindowFacts& facts);

private:
    class Cache;
    // Behind a pointer, so that the desktop entries' GIO watch stays out of this header.
    std::unique_ptr<Cache> cache_;
};

}  // namespace dorvane
