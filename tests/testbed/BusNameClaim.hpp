#pragma once

#include <gio/gio.h>

#include <atomic>
#include <string>
#include <utility>

#include "platform/linux/glib/GLibHandles.hpp"
#include "testbed/DBusSession.hpp"

namespace dorvane::test {

// A program of the test's own on a session bus that asks for a well-known name, as any program
// there may: it takes the name at once, or queues for it until its owner lets go. It counts the
// method calls that reach it on an interface of choice, and answers none.
class BusNameClaim {
public:
    enum class Wait { no, inQueue };

    BusNameClaim(const std::string& busAddress, std::string name, Wait wait,
                 std::string countedInterface = {})
        : connection_(connectToBus(busAddress)),
          name_(std::move(name)),
          countedInterface_(std::move(countedInterface)) {
        filter_ = g_dbus_connection_add_filter(connection_.get(), count, this, nullptr);
        // DBUS_NAME_FLAG_DO_NOT_QUEUE, or no flag at all.
        const guint32 flags = wait == Wait::no ? 4 : 0;
        askBus("RequestName", g_variant_new("(su)", name_.c_str(), flags), "(u)");
    }

    // The filter runs on GDBus's own thread: once closed, the connection reads nothing more.
    ~BusNameClaim() {
        g_dbus_connection_close_sync(connection_.get(), nullptr, nullptr);
        g_dbus_connection_remove_filter(connection_.get(), filter_);
    }
    BusNameClaim(const BusNameClaim&) = delete;
    BusNameClaim& operator=(const BusNameClaim&) = delete;

    GDBusConnection* connection() const { return connection_.get(); }

    bool ownsName() const {
        const auto reply = askBus("GetNameOwner", g_variant_new("(s)", name_.c_str()), "(s)");
        const gchar* owner = nullptr;
        if (reply) {
            g_variant_get(reply.get(), "(&s)", &owner);
        }
        return g_strcmp0(owner, g_dbus_connection_get_unique_name(connection_.get())) == 0;
    }

    int countedCalls() const { return countedCalls_; }

private:
    GVariantPtr askBus(const char* method, GVariant* parameters, const char* replyType) const {
        return GVariantPtr(g_dbus_connection_call_sync(
            connection_.get(), "org.freedesktop.DBus", "/org/freedesktop/DBus",
            "org.freedesktop.DBus", method, parameters, G_VARIANT_TYPE(replyType),
            G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, nullptr));
    }

    static GDBusMessage* count(GDBusConnection*, GDBusMessage* message, gboolean incoming,
                               gpointer self) {
        auto& claim = *static_cast<BusNameClaim*>(self);
        const gchar* interface = g_dbus_message_get_interface(message);
        if (incoming &&
            g_dbus_message_get_message_type(message) == G_DBUS_MESSAGE_TYPE_METHOD_CALL &&
            interface != nullptr && claim.countedInterface_ == interface) {
            ++claim.countedCalls_;
        }
        return message;
    }

    GObjectPtr<GDBusConnection> connection_;
    std::string name_;
    std::string countedInterface_;
    std::atomic<int> countedCalls_{0};
    guint filter_ = 0;
};

}  // namespace dorvane::test
