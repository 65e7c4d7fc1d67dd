#import "platform/macos/StatusBarItem.hpp"

#import "platform/macos/BrandLogo.hpp"
#include "platform/macos/CocoaStrings.hpp"

// The target of the menu's actions: one selector per action, each handed to the controller.
@interface DVMenuTarget : NSObject
- (instancetype)initWithHandler:(dorvane::StatusItem::ActionHandler)handler;
- (void)openConfigurator;
- (void)togglePause;
- (void)importAppRules;
- (void)editAppRules;
- (void)quit;
@end

@implementation DVMenuTarget {
    dorvane::StatusItem::ActionHandler _handler;
}

- (instancetype)initWithHandler:(dorvane::StatusItem::ActionHandler)handler {
    if ((self = [super init])) {
        _handler = std::move(handler);
    }
    return self;
}

- (void)openConfigurator {
    _handler(dorvane::MenuAction::openConfigurator);
}

- (void)togglePause {
    _handler(dorvane::MenuAction::togglePause);
}

- (void)importAppRules {
    _handler(dorvane::MenuAction::importAppRules);
}

- (void)editAppRules {
    _handler(dorvane::MenuAction::editAppRules);
}

- (void)quit {
    _handler(dorvane::MenuAction::quit);
}

@end

namespace dorvane {
namespace {

SEL selectorFor(MenuAction action) {
    switch (action) {
        case MenuAction::openConfigurator:
            return @selector(openConfigurator);
        case MenuAction::togglePause:
            return @selector(togglePause);
        case MenuAction::importAppRules:
            return @selector(importAppRules);
        case MenuAction::editAppRules:
            return @selector(editAppRules);
        case MenuAction::quit:
            return @selector(quit);
        case MenuAction::none:
            break;
    }
    return nil;
}

NSMenuItem* menuItemFor(const MenuItem& item, DVMenuTarget* target) {
    if (item.separator) {
        return [NSMenuItem separatorItem];
    }
    NSMenuItem* menuItem = [[NSMenuItem alloc] initWithTitle:toNSString(item.title)
                                                      action:selectorFor(item.action)
                                               keyEquivalent:toNSString(item.keyEquivalent)];
    if (item.action != MenuAction::none) {
        menuItem.target = target;
    }
    menuItem.enabled = item.enabled;
    return menuItem;
}

}  // namespace

// A status item without a button (none is known today) keeps no image and no tooltip.
void StatusBarItem::create(ActionHandler onAction) {
    target_ = [[DVMenuTarget alloc] initWithHandler:std::move(onAction)];
    item_ = [[NSStatusBar systemStatusBar] statusItemWithLength:NSVariableStatusItemLength];
    if (NSStatusBarButton* button = item_.button) {
        button.image = brandLogo();
        button.toolTip = toNSString(launchTooltip);
    }
}

// The menu being shown is never edited: the new one is used from the next opening on.
void StatusBarItem::show(const MenuModel& model) {
    NSMenu* menu = [[NSMenu alloc] init];
    for (const MenuItem& item : model.items) {
        [menu addItem:menuItemFor(item, target_)];
    }
    item_.menu = menu;
    item_.button.toolTip = toNSString(model.tooltip);
}

}  // namespace dorvane
