#pragma once

// Objective-C++ only: the adapter keeps its timer as an Objective-C object.
#import <Foundation/Foundation.h>

#include "app/MainLoop.hpp"

@class DVTicker;

namespace dorvane {

// The application's run loop: a one-second NSTimer, and NSApp's terminate:.
class CocoaMainLoop final : public MainLoop {
public:
    void startRepeatingTimer(std::function<void()> tick) override;
    void terminate() override;

private:
    DVTicker* ticker_ = nil;
    NSTimer* timer_ = nil;
};

}  // namespace dorvane
