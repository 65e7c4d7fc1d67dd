#pragma once

#include <functional>
#include <memory>
#include <ostream>

#include "app/CompanionStatus.hpp"

namespace dorvane {

// What `dorvane status` needs of a platform: the running companion's status, word of each change,
// and a main loop to wait for them on.
class StatusSource {
public:
    using ChangeHandler = std::function<void(const CompanionStatus&)>;

    virtual ~StatusSource() = default;

    virtual const CompanionStatus& current() const = 0;

    // Registers the one handler called, on the loop, at each change of the status.
    virtual void observeChanges(ChangeHandler handler) = 0;

    // Runs the main loop until SIGINT or SIGTERM or stopWatching() (exit code 0), or until the
    // companion quits (1, after one line on stderr). A write to a reader that has gone must fail
    // while the source lives, not end the process.
    virtual int runUntilInterrupted() = 0;

    // Has the running loop end as an interruption does; called from within it.
    virtual void stopWatching() = 0;
};

// The running companion's status; null, after one line on `err`, when no companion answers.
std::unique_ptr<StatusSource> openStatusSource(std::ostream& err);

// Prints the status; when `watch`, one line now and one at each change until the source's loop
// ends or a line cannot be written (a reader that has gone is a normal end). The exit code.
int printStatus(StatusSource& source, bool watch, std::ostream& out);

}  // namespace dorvane
