#pragma once

#include <chrono>
#include <optional>
#include <string>

namespace dorvane::test {

// A bare observer of the event a focus switch brings, beside the companion: a client that does
// no more than a program must do to learn of the event, so that the companion's time minus its
// time is what the companion adds. The benchmark polls descriptor() and, when it is readable,
// calls arrival(), which reads what came.
class BareObserver {
public:
    using Clock = std::chrono::steady_clock;

    virtual ~BareObserver() = default;

    // What it observes, for the report.
    virtual std::string what() const = 0;

    virtual int descriptor() const = 0;

    // Reads what is readable: the moment the switch's event arrived, once it has, and not before
    // `since`. Throws when the connection is lost.
    virtual std::optional<Clock::time_point> arrival(Clock::time_point since) = 0;
};

}  // namespace dorvane::test
