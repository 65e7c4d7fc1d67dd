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
#import "platform/macos/UserNotificationNotifier.hpp"

namespace dorvane {
namespace {

// Keeps App Nap away while it lives. A windowless agent application is a candidate for napping,
// and then the one-second timer may fire many seconds late, and with it the layer switches.
class NapPrevention {
public:
    explicit NapPrevention(NSString* reason)
        : activity_([[NSProcessInfo processInfo]
              beginActivityWithOptions:NSActivityUserInitiatedAllowingIdleSystemSleep
                                reason:reason]) {}
    ~NapPrevention() { [[NSProcessInfo processInfo] endActivity:activity_]; }

    NapPrevention(const NapPrevention&) = delete;
    NapPrevention& operator=(const NapPrevention&) = delete;

private:
    id<NSObject> activity_;
};

// The companion with its platform services, all alive for the whole run. The activity is held
// for the whole run too: nothing but the timer notices a saved rules file, or a pad the I/O
// registry failed to announce.
struct MacCompanion {
    NapPrevention awake{@"Switches the pad's layer as applications come to the front"};
    IOKitRegistry registry;
    CocoaWorkspace workspace;
    StatusBarItem statusItem;
    CocoaMainLoop mainLoop;
    CocoaOpener opener;
    CocoaDialogs dialogs;
    TickOnlyRulesWatch rulesWatch;
    UserNotificationNotifier notifier;
    AppDelegate delegate{registry,
                         LayerMap::shared(),
                         {workspace, statusItem, mainLoop, opener, dialogs, rulesWatch, notifier}};
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
