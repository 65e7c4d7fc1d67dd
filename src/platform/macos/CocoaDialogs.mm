#include "platform/macos/CocoaDialogs.hpp"

#import <AppKit/AppKit.h>

#include "platform/macos/CocoaStrings.hpp"
#include "rules/RulesError.hpp"

namespace dorvane {

// An accessory application is not brought forward by its own panel, so it is activated first.
std::optional<std::filesystem::path> CocoaDialogs::chooseFile(const std::string& title) {
    [NSApp activateIgnoringOtherApps:YES];
    NSOpenPanel* panel = [NSOpenPanel openPanel];
    panel.title = toNSString(title);
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
    [NSApp activateIgnoringOtherApps:YES];
    [[NSAlert alertWithError:error] runModal];
}

}  // namespace dorvane
