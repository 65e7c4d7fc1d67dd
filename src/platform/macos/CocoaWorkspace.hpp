#pragma once

// Objective-C++ only: the adapter keeps its observer as an Objective-C object.
#import <AppKit/AppKit.h>

#include "app/Workspace.hpp"

@class DVActivationObserver;

namespace dorvane {

// NSWorkspace: the frontmost application, and its activation notifications.
class CocoaWorkspace final : public Workspace {
public:
    std::optional<RunningApplication> frontmostApplication() override;
    void observeActivations(ActivationHandler handler) override;

private:
    DVActivationObserver* observer_ = nil;
};

}  // namespace dorvane
