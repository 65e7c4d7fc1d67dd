#import "platform/macos/CocoaMainLoop.hpp"

#import <AppKit/AppKit.h>

// Holds the tick for the timer, which refers to it only weakly.
@interface DVTicker : NSObject
- (instancetype)initWithTick:(std::function<void()>)tick;
- (void)tick;
@end

@implementation DVTicker {
    std::function<void()> _tick;
}

- (instancetype)initWithTick:(std::function<void()>)tick {
    if ((self = [super init])) {
        _tick = std::move(tick);
    }
    return self;
}

- (void)tick {
    _tick();
}

@end

namespace dorvane {

// Scheduled in the default mode, then added to the common modes too, so that ticks go on while
// the status menu is open and while a panel or an alert runs modally.
void CocoaMainLoop::startRepeatingTimer(std::function<void()> tick) {
    ticker_ = [[DVTicker alloc] initWithTick:std::move(tick)];
    __weak DVTicker* weakTicker = ticker_;
    timer_ = [NSTimer scheduledTimerWithTimeInterval:1.0
                                             repeats:YES
                                               block:^(NSTimer*) {
                                                 DVTicker* ticker = weakTicker;
                                                 [ticker tick];
                                               }];
    if (timer_ != nil) {
        [[NSRunLoop mainRunLoop] addTimer:timer_ forMode:NSRunLoopCommonModes];
    }
}

void CocoaMainLoop::terminate() {
    [NSApp terminate:nil];
}

}  // namespace dorvane
