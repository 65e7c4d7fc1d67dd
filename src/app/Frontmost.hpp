#pragma once

#include <memory>
#include <optional>
#include <ostream>
#include <string>

#include "app/Workspace.hpp"
#include "rules/RunningApplication.hpp"

namespace dorvane {

// What `dorvane frontmost` needs of a platform: the workspace the companion would follow, the
// name of its backend, and a main loop to watch it on.
class FrontmostSource {
public:
    virtual ~FrontmostSource() = default;

    // Printed first on every line, so that a user's report tells which backend answered; the
    // platform's own name for it.
    virtual std::string backend() const = 0;
    virtual Workspace& workspace() = 0;

    // Runs the main loop until SIGINT or SIGTERM or stopWatching() (exit code 0), or until the
    // desktop is lost (1, after one line on stderr). A write to a reader that has gone must fail
    // while the source lives, not end the process.
    virtual int runUntilInterrupted() = 0;

    // Has the running loop end as an interruption does; called from within it.
    virtual void stopWatching() = 0;
};

// Opens the workspace the companion would follow on this platform; null, after one line on
// `err` saying why, when there is nothing to follow.
std::unique_ptr<FrontmostSource> openFrontmostSource(std::ostream& err);

// "BACKEND<TAB>ID<TAB>NAME\n", with "—" for what is not known; ID and NAME are what rules match.
std::string frontmostLine(const std::string& backend,
                          const std::optional<RunningApplication>& application);

// Prints the frontmost application; when `watch`, then one line at each activation until the
// source's loop ends, or a line cannot be written: a reader that has gone (`| head -1`) is a
// normal end. The exit code.
int printFrontmost(FrontmostSource& source, bool watch, std::ostream& out);

}  // namespace dorvane
