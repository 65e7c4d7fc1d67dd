#import <AppKit/AppKit.h>

#include <csignal>

#include "app/Frontmost.hpp"
#import "platform/macos/CocoaWorkspace.hpp"

namespace dorvane {
namespace {

// Set by the signal handler, which may do nothing else; reset at each watch.
volatile std::sig_atomic_t interrupted = 0;

void noteInterruption(int) {
    interrupted = 1;
}

// NSWorkspace, watched on the main run loop. A signal does not wake a run loop that waits for
// Mach messages, so the loop looks at the flag a few times a second: this is a diagnostic
// command, not the companion.
class MacFrontmostSource final : public FrontmostSource {
public:
    MacFrontmostSource() {
        // Workspace notifications reach a process that is connected as an application.
        [NSApplication sharedApplication];
        // A write to a reader that has gone then fails, and the watch ends normally.
        std::signal(SIGPIPE, SIG_IGN);
    }

    std::string backend() const override { return "macos"; }
    Workspace& workspace() override { return workspace_; }

    int runUntilInterrupted() override {
        interrupted = 0;
        std::signal(SIGINT, noteInterruption);
        std::signal(SIGTERM, noteInterruption);
        while (interrupted == 0) {
            @autoreleasepool {
                [[NSRunLoop mainRunLoop] runMode:NSDefaultRunLoopMode
                                      beforeDate:[NSDate dateWithTimeIntervalSinceNow:0.2]];
            }
        }
        return 0;
    }

    void stopWatching() override { interrupted = 1; }

private:
    CocoaWorkspace workspace_;
};

}  // namespace

std::unique_ptr<FrontmostSource> openFrontmostSource(std::ostream&) {
    return std::make_unique<MacFrontmostSource>();
}

}  // namespace dorvane
