#pragma once

// Objective-C++ only: the adapter keeps AppKit objects.
#import <AppKit/AppKit.h>

#include "app/StatusItem.hpp"

@class DVMenuTarget;

namespace dorvane {

// An NSStatusItem in the system status bar, with the logo, a tooltip and a menu that is made
// anew for every model.
class StatusBarItem final : public StatusItem {
public:
    void create(ActionHandler onAction) override;
    void show(const MenuModel& menu) override;

private:
    NSStatusItem* item_ = nil;
    DVMenuTarget* target_ = nil;
};

}  // namespace dorvane
