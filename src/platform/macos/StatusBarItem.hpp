#pragma once

// Objective-C++ only: the adapter keeps AppKit objects.
#import <AppKit/AppKit.h>

#include "app/StatusItem.hpp"
#include "platform/macos/MenuHold.hpp"

@class DVMenuTarget;
@class DVMenuWatcher;

namespace dorvane {

// An NSStatusItem in the system status bar, with the logo, a tooltip and a menu that is made
// anew for every model, though never while the user has it open.
class StatusBarItem final : public StatusItem {
public:
    ~StatusBarItem() override;

    void create(ActionHandler onAction) override;
    void show(const MenuModel& menu) override;

private:
    void showHeldModel();
    void apply(const MenuModel& model);

    NSStatusItem* item_ = nil;
    DVMenuTarget* target_ = nil;
    DVMenuWatcher* watcher_ = nil;
    MenuHold hold_;
};

}  // namespace dorvane
