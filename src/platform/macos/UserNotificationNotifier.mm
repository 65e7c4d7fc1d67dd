#include "platform/macos/UserNotificationNotifier.hpp"

#import <UserNotifications/UserNotifications.h>

#include "platform/macos/CocoaStrings.hpp"

namespace dorvane {
namespace {

NSString* const requestIdentifier = @"app.dorvane.companion.notification";

// Refused or failed requests are dropped: the notification only explains what the companion
// does anyway.
void add(UNUserNotificationCenter* center, UNNotificationContent* content) {
    [center addNotificationRequest:[UNNotificationRequest requestWithIdentifier:requestIdentifier
                                                                        content:content
                                                                        trigger:nil]
             withCompletionHandler:nil];
}

}  // namespace

void UserNotificationNotifier::notify(const Notification& notification) {
    UNMutableNotificationContent* content = [[UNMutableNotificationContent alloc] init];
    content.title = toNSString(notification.summary);
    content.body = toNSString(notification.body);
    UNUserNotificationCenter* center = [UNUserNotificationCenter currentNotificationCenter];
    if (authorizationRequested_) {
        add(center, content);
        return;
    }
    authorizationRequested_ = true;
    [center requestAuthorizationWithOptions:UNAuthorizationOptionAlert
                          completionHandler:^(BOOL granted, NSError* error) {
                            (void)error;
                            if (granted) {
                                add(center, content);
                            }
                          }];
}

}  // namespace dorvane
