#import <AppKit/AppKit.h>

#include <memory>

#include "app/AppDelegate.hpp"
#include "app/Companion.hpp"
#import "platform/macos/CocoaDialogs.hpp"
#import "platform/macos/CocoaMainLoop.hpp"
#import "platform/macos/CocoaOpener.hpp"
#import "platform/macos/CocoaWorkspace.hpp"
#import "platform/macos/IOKitRegistry.hpp"
#import "platform/macos/StatusBarItem.hpp"

namespace dorvane {
namespace {

// The companion with its platform services, all alive for the whole run.
struct MacCompanion {
    IOKitRegistry registry;
    CocoaWorkspace workspace;
    StatusBarItem statusItem;
    CocoaMainLoop mainLoop;
    CocoaOpener opener;
    CocoaDialogs dialogs;
    AppDelegate delegate{
        registry, LayerMap::shared(), {workspace, statusItem, mainLoop, opener, dialogs}};
};

}  // namespace
}  // namespace dorvane

// The application's delegate: hands the launch over to the portable controller.
@interface DVApplicationDelegate : NSObject <NSApplicationDelegate>
@end

@implementation DVApplicationDelegate {
    std::unique_ptr<dorvane::MacCompanion> _companion;
}

- (instancetype)init {
    if ((self = [super init])) {
        _companion = std::make_unique<dorvane::MacCompanion>();
    }
    return self;
}

- (void)applicationDidFinishLaunching:(NSNotification*)notification {
    (void)notification;
    _companion->delegate.applicationDidFinishLaunching();
}

@end

namespace dorvane {

// An accessory application: no Dock icon and no menu bar of its own, only the status item.
int runCompanion() {
    @autoreleasepool {
        NSApplication* application = [NSApplication sharedApplication];
        DVApplicationDelegate* delegate = [[DVApplicationDelegate alloc] init];
        application.delegate = delegate;  // not owned by the application; `delegate` keeps it
        [application setActivationPolicy:NSApplicationActivationPolicyAccessory];
        [application run];
    }
    return 0;
}

}  // namespace dorvane
