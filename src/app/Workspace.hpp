#pragma once

#include <functional>
#include <optional>

#include "rules/RunningApplication.hpp"

namespace dorvane {

// The desktop's view of running applications: which one is frontmost, and word when another
// comes to the front. Handlers run on the main loop.
class Workspace {
public:
    using ActivationHandler = std::function<void(std::optional<RunningApplication>)>;

    virtual ~Workspace() = default;

    // The application now frontmost, or none.
    virtual std::optional<RunningApplication> frontmostApplication() = 0;

    // Registers the one handler called on every activation, with the activated application when
    // the platform names it (none tells the handler to ask frontmostApplication() instead).
    virtual void observeActivations(ActivationHandler handler) = 0;
};

}  // namespace dorvane
