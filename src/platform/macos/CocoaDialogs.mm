#include "platform/macos/CocoaDialogs.hpp"

#import <AppKit/AppKit.h>

#include "platform/macos/CocoaStrings.hpp"
#include "rules/RulesError.hpp"

namespace dorvane {
namespace {

// An accessory application is not brought forward by its own panels. Since macOS 14 the old call
// is deprecated and its flag ignored.
void bringForward() {
    if (@available(macOS 14, *)) {
        [NSApp activate];
    } else {
        [NSApp activateIgnoringOtherApps:YES];
    }
}

}  // namespace

// Open panels have shown no title since OS X 10.11, so the title goes into the message as well.
std::optional<std::filesystem::path> CocoaDialogs::chooseFile(const std::string& title) {
    bringForward();
    NSOpenPanel* panel = [NSOpenPanel openPanel];
    panel.title = toNSString(title);
    panel.message = toNSString(title);
    panel.canChooseDirectories = NO;
    panel.allowsMultipleSelection = NO;
    if ([panel runModal] != NSModalResponseOK || panel.URL == nil) {
        return std::nullopt;
    }
    return toPath(panel.URL);
}

// The message becomes the error's description, which is what the alert shows.
void CocoaDialogs::showError(const std::string& message) {
    NSError* error = [NSError errorWithDomain:toNSString(RulesError::domain)
                                         code:RulesError::code
                                     userInfo:@{NSLocalizedDescriptionKey : toNSString(message)}];
    bringForward();
    [[NSAlert alertWithError:error] runModal];
}

// The panel's and the alert's runModal both return once their loop is aborted, the panel with a
// result that reads as a cancel. What abortModal does with no modal loop is not documented, hence
// the test. A modal window normally refuses termination, and the terminate: that follows comes
// before the aborted loop has unwound, so the window is told not to refuse it.
void CocoaDialogs::dismiss() {
    NSWindow* modal = NSApp.modalWindow;
    if (modal == nil) {
        return;
    }
    modal.preventsApplicationTerminationWhenModal = NO;
    [NSApp abortModal];
}

}  // namespace dorvane
