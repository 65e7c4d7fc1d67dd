#include "app/Frontmost.hpp"

#include <algorithm>

#include "text/NoName.hpp"

namespace dorvane {
namespace {

// A tab or a line break inside a name would shift the columns that scripts cut.
std::string field(const std::optional<std::string>& text) {
    if (!text || text->empty()) {
        return text::noName;
    }
    std::string flat = *text;
    std::replace_if(
        flat.begin(), flat.end(), [](char c) { return c == '\t' || c == '\n' || c == '\r'; }, ' ');
    return flat;
}

}  // namespace

std::string frontmostLine(const std::string& backend,
                          const std::optional<RunningApplication>& application) {
    const RunningApplication known = application.value_or(RunningApplication{});
    return backend + '\t' + field(known.bundleIdentifier) + '\t' + field(known.localizedName) +
           '\n';
}

int printFrontmost(FrontmostSource& source, bool watch, std::ostream& out) {
    Workspace& workspace = source.workspace();
    out << frontmostLine(source.backend(), workspace.frontmostApplication()) << std::flush;
    if (!watch || !out) {
        return 0;
    }
    // Flushed line by line: a watcher reads through a pipe, and a line is an event.
    workspace.observeActivations([&](std::optional<RunningApplication> activated) {
        const auto application = activated ? activated : workspace.frontmostApplication();
        out << frontmostLine(source.backend(), application) << std::flush;
        if (!out) {
            source.stopWatching();
        }
    });
    return source.runUntilInterrupted();
}

}  // namespace dorvane
