#pragma once

#include <CoreFoundation/CoreFoundation.h>
#include <IOKit/IOKitLib.h>

#include <functional>
#include <memory>

#include "platform/macos/CFHandles.hpp"

namespace dorvane {

// Tells when a serial service ("IOSerialBSDClient") appeared or went, from the I/O registry's
// notifications on the main run loop, in its common modes so that they also arrive while the
// status menu or a panel is open. It wakes only when the registry has something to say.
class IOKitMonitor {
public:
    // Nothing when the registry refuses a notification.
    static std::unique_ptr<IOKitMonitor> start(std::function<void()> changed);

    ~IOKitMonitor();
    IOKitMonitor(const IOKitMonitor&) = delete;
    IOKitMonitor& operator=(const IOKitMonitor&) = delete;

private:
    struct PortDestroy {
        void operator()(IONotificationPortRef port) const { IONotificationPortDestroy(port); }
    };

    IOKitMonitor(IONotificationPortRef port, std::function<void()> changed);

    bool watch(const char* notificationType, IOObject& iterator);
    static void onNotification(void* self, io_iterator_t iterator);
    static bool drain(io_iterator_t iterator);

    std::unique_ptr<IONotificationPort, PortDestroy> port_;
    std::function<void()> changed_;
    // Releasing an iterator ends its notification; they go before the port.
    IOObject firstMatch_;
    IOObject terminated_;
};

}  // namespace dorvane
