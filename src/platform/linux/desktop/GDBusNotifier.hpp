#pragma once

#include <gio/gio.h>

#include <optional>

#include "app/Notifier.hpp"
#include "platform/linux/desktop/NotificationIcon.hpp"
#include "platform/linux/glib/GLibHandles.hpp"

namespace dorvane {

// Desktop notifications through org.freedesktop.Notifications on the session bus. Everything is
// asynchronous, on the default main context: the companion never waits for the bus or the
// notification server. Without either, the first failure is one line on stderr and the rest is
// silence. A newer notification replaces the one shown before, which it makes stale. Texts are
// plain: where the server reads markup in bodies, they are escaped so that nothing in them (a
// rules file's own words, say) is taken for markup.
class GDBusNotifier final : public Notifier {
public:
    GDBusNotifier();
    ~GDBusNotifier() override;
    GDBusNotifier(const GDBusNotifier&) = delete;
    GDBusNotifier& operator=(const GDBusNotifier&) = delete;

    void notify(const Notification& notification) override;

private:
    static void busReady(GObject* source, GAsyncResult* result, gpointer self);
    static void capabilitiesKnown(GObject* source, GAsyncResult* result, gpointer self);
    static void shown(GObject* source, GAsyncResult* result, gpointer self);
    void askCapabilities();
    void send(const Notification& notification);
    void reportFailure(const GError* error);

    GObjectPtr<GCancellable> cancellable_;
    GObjectPtr<GDBusConnection> bus_;
    bool connecting_ = false;
    bool serverKnown_ = false;
    bool bodyMarkup_ = false;
    std::optional<Notification> waitingForServer_;
    NotificationIcon icon_;
    guint32 shownId_ = 0;
    bool failureReported_ = false;
};

}  // namespace dorvane
