#pragma once

#include "app/Notifier.hpp"

namespace dorvane {

// Notifications through UNUserNotificationCenter. Authorization is asked for once, when the
// first notification is due, rather than at launch, where most users would never need it. A
// newer notification replaces the one shown before, which it makes stale.
class UserNotificationNotifier final : public Notifier {
public:
    void notify(const Notification& notification) override;

private:
    bool authorizationRequested_ = false;
};

}  // namespace dorvane
