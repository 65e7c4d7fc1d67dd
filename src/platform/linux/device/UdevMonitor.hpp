#pragma once

#include <libudev.h>

#include <functional>
#include <memory>

#include "platform/linux/glib/GLibHandles.hpp"

namespace dorvane {

// Tells when a tty or a USB device came or went, as udev announces it: only once udev has made
// the device's node and set its permissions, so a port announced here can be opened at once.
// A source on GLib's default main context; it wakes only when udev has something to say.
class UdevMonitor {
public:
    // Nothing when udev cannot be listened to (no netlink socket, as in some sandboxes).
    static std::unique_ptr<UdevMonitor> start(std::function<void()> changed);

    UdevMonitor(const UdevMonitor&) = delete;
    UdevMonitor& operator=(const UdevMonitor&) = delete;

private:
    struct UdevRelease {
        void operator()(udev* context) const { udev_unref(context); }
    };
    struct MonitorRelease {
        void operator()(udev_monitor* monitor) const { udev_monitor_unref(monitor); }
    };

    UdevMonitor(udev* context, udev_monitor* monitor, std::function<void()> changed);

    static gboolean onReadable(gint fd, GIOCondition condition, gpointer self);
    bool drain();

    // Declared in the order they were made: the source goes first, the context last.
    std::unique_ptr<udev, UdevRelease> context_;
    std::unique_ptr<udev_monitor, MonitorRelease> monitor_;
    std::function<void()> changed_;
    GSourcePtr source_;
};

}  // namespace dorvane
