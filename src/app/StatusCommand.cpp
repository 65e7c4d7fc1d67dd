#include "app/StatusCommand.hpp"

#include "app/StatusText.hpp"

namespace dorvane {

int printStatus(StatusSource& source, bool watch, std::ostream& out) {
    if (!watch) {
        out << statusText(source.current()) << std::flush;
        return out ? 0 : 1;
    }
    // Flushed line by line: a watcher reads through a pipe, and a line is a change.
    out << statusLine(source.current()) << std::flush;
    if (!out) {
        return 0;
    }
    source.observeChanges([&](const CompanionStatus& status) {
        out << statusLine(status) << std::flush;
        if (!out) {
            source.stopWatching();
        }
    });
    return source.runUntilInterrupted();
}

}  // namespace dorvane
