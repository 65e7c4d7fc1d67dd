#import "platform/macos/CocoaWorkspace.hpp"

#include "platform/macos/CocoaStrings.hpp"

namespace {

dorvane::RunningApplication runningApplicationFrom(NSRunningApplication* application) {
    return {dorvane::toOptionalString(application.bundleIdentifier),
            dorvane::toOptionalString(application.localizedName)};
}

}  // namespace

// Receives the workspace's activation notifications on the main thread, which posts them.
@interface DVActivationObserver : NSObject
- (instancetype)initWithHandler:(dorvane::Workspace::ActivationHandler)handler;
- (void)appActivated:(NSNotification*)notification;
@end

@implementation DVActivationObserver {
    dorvane::Workspace::ActivationHandler _handler;
}

- (instancetype)initWithHandler:(dorvane::Workspace::ActivationHandler)handler {
    if ((self = [super init])) {
        _handler = std::move(handler);
    }
    return self;
}

// Without a running application in the notification, the handler asks for the frontmost one.
- (void)appActivated:(NSNotification*)notification {
    id application = notification.userInfo[NSWorkspaceApplicationKey];
    if ([application isKindOfClass:[NSRunningApplication class]]) {
        _handler(runningApplicationFrom(application));
    } else {
        _handler(std::nullopt);
    }
}

@end

namespace dorvane {

std::optional<RunningApplication> CocoaWorkspace::frontmostApplication() {
    NSRunningApplication* application = [NSWorkspace sharedWorkspace].frontmostApplication;
    if (application == nil) {
        return std::nullopt;
    }
    return runningApplicationFrom(application);
}

// The workspace's own notification centre, not the default one, posts activations.
void CocoaWorkspace::observeActivations(ActivationHandler handler) {
    observer_ = [[DVActivationObserver alloc] initWithHandler:std::move(handler)];
    [[NSWorkspace sharedWorkspace].notificationCenter
        addObserver:observer_
           selector:@selector(appActivated:)
               name:NSWorkspaceDidActivateApplicationNotification
             object:nil];
}

}  // namespace dorvane
