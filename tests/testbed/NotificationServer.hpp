#pragma once

#include <gio/gio.h>

#include <cstdint>
#include <string>
#include <vector>

namespace dorvane::test {

struct ReceivedNotification {
    std::string appName;
    std::uint32_t replacesId = 0;
    std::string appIcon;
    std::string summary;
    std::string body;
};

// A desktop's notification server, as far as a sender can tell: it owns
// org.freedesktop.Notifications on the given bus and records every Notify call. Calls are answered
// on the test's own thread, whenever it asks for what was received.
class RecordingNotificationServer {
public:
    explicit RecordingNotificationServer(const std::string& busAddress);
    ~RecordingNotificationServer();
    RecordingNotificationServer(const RecordingNotificationServer&) = delete;
    RecordingNotificationServer& operator=(const RecordingNotificationServer&) = delete;

    // Answers the calls that came meanwhile, then lists every notification so far.
    const std::vector<ReceivedNotification>& received();

private:
    static void methodCall(GDBusConnection* connection, const gchar* sender,
                           const gchar* objectPath, const gchar* interfaceName,
                           const gchar* methodName, GVariant* parameters,
                           GDBusMethodInvocation* invocation, gpointer self);
    void requestName();

    GDBusConnection* connection_;
    GMainContext* context_;
    guint registration_ = 0;
    std::vector<ReceivedNotification> received_;
};

}  // namespace dorvane::test
