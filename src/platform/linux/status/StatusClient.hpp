#pragma once

#include <gio/gio.h>

#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include "app/CompanionStatus.hpp"
#include "platform/linux/glib/GLibHandles.hpp"

namespace dorvane {

// The running companion's status as another process reads it from the session bus, kept up to
// date on the default main context.
class StatusClient {
public:
    using ChangeHandler = std::function<void(const CompanionStatus&)>;
    using GoneHandler = std::function<void()>;

    // The companion's status; none, after one line on `err`, when no companion answers.
    static std::unique_ptr<StatusClient> open(std::ostream& err);

    ~StatusClient();
    StatusClient(const StatusClient&) = delete;
    StatusClient& operator=(const StatusClient&) = delete;

    const CompanionStatus& current() const { return status_; }

    // `onChange` hears each announced change, `onGone` that the companion left the bus; nothing
    // is heard after that.
    void observe(ChangeHandler onChange, GoneHandler onGone);

private:
    explicit StatusClient(GObjectPtr<GDBusConnection> bus);

    bool readAll(std::ostream& err);

    static void onPropertiesChanged(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                                    const gchar*, GVariant* parameters, gpointer self);
    static void onOwnerChanged(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                               const gchar*, GVariant* parameters, gpointer self);

    GObjectPtr<GDBusConnection> bus_;
    CompanionStatus status_;
    std::string owner_;  // the companion's unique name; empty once it has gone
    ChangeHandler onChange_;
    GoneHandler onGone_;
    guint changeSubscription_ = 0;
    guint ownerSubscription_ = 0;
};

}  // namespace dorvane
