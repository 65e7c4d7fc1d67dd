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

// The delegate of every menu the item shows: reports when the menu opens and closes.
@interface DVMenuWatcher : NSObject <NSMenuDelegate>
- (instancetype)initWithOpened:(std::function<void()>)opened closed:(std::function<void()>)closed;
@end

@implementation DVMenuWatcher {
    std::function<void()> _opened;
    std::function<void()> _closed;
}

- (instancetype)initWithOpened:(std::function<void()>)opened closed:(std::function<void()>)closed {
    if ((self = [super init])) {
        _opened = std::move(opened);
        _closed = std::move(closed);
    }
    return self;
}

- (void)reportClosed {
    _closed();
}

// A close still waiting to be reported is dropped: the menu is open again.
- (void)menuWillOpen:(NSMenu*)menu {
    (void)menu;
    [NSObject cancelPreviousPerformRequestsWithTarget:self
                                             selector:@selector(reportClosed)
                                               object:nil];
    _opened();
}

// The menu must not change inside menuDidClose:, and the chosen item's action may not have been
// sent yet: the close is reported on the run loop's next pass, whatever mode it runs in.
- (void)menuDidClose:(NSMenu*)menu {
    (void)menu;
    [self performSelector:@selector(reportClosed)
               withObject:nil
               afterDelay:0
                  inModes:@[ NSRunLoopCommonModes ]];
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

// A close reported after this object is gone would reach a dead `this`.
StatusBarItem::~StatusBarItem() {
    [NSObject cancelPreviousPerformRequestsWithTarget:watcher_];
}

// A status item without a button (none is known today) keeps no image and no tooltip.
void StatusBarItem::create(ActionHandler onAction) {
    target_ = [[DVMenuTarget alloc] initWithHandler:std::move(onAction)];
    watcher_ = [[DVMenuWatcher alloc] initWithOpened:[this] { hold_.opened(); }
        closed:[this] { showHeldModel(); }];
    item_ = [[NSStatusBar systemStatusBar] statusItemWithLength:NSVariableStatusItemLength];
    if (NSStatusBarButton* button = item_.button) {
        button.image = brandLogo();
        button.toolTip = toNSString(launchTooltip);
    }
}

// Replacing the menu that is open would dismiss it or leave it tracking a menu the item no longer
// owns, so a model that comes meanwhile waits for the menu to close.
void StatusBarItem::show(const MenuModel& model) {
    if (!hold_.holdBack(model)) {
        apply(model);
    }
}

void StatusBarItem::showHeldModel() {
    if (const auto held = hold_.closed()) {
        apply(*held);
    }
}

void StatusBarItem::apply(const MenuModel& model) {
    NSMenu* menu = [[NSMenu alloc] init];
    for (const MenuItem& item : model.items) {
        [menu addItem:menuItemFor(item, target_)];
    }
    menu.delegate = watcher_;
    item_.menu = menu;
    item_.button.toolTip = toNSString(model.tooltip);
}

}  // namespace dorvane
