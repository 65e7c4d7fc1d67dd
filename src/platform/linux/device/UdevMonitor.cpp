#include "platform/linux/device/UdevMonitor.hpp"

#include <glib-unix.h>

namespace dorvane {

std::unique_ptr<UdevMonitor> UdevMonitor::start(std::function<void()> changed) {
    udev* context = udev_new();
    if (context == nullptr) {
        return nullptr;
    }
    // "udev" rather than "kernel": the kernel announces a device before udev has made its node.
    udev_monitor* monitor = udev_monitor_new_from_netlink(context, "udev");
    if (monitor == nullptr) {
        udev_unref(context);
        return nullptr;
    }
    std::unique_ptr<UdevMonitor> watch(new UdevMonitor(context, monitor, std::move(changed)));
    if (udev_monitor_filter_add_match_subsystem_devtype(monitor, "tty", nullptr) < 0 ||
        udev_monitor_filter_add_match_subsystem_devtype(monitor, "usb", "usb_device") < 0 ||
        udev_monitor_enable_receiving(monitor) < 0) {
        return nullptr;
    }
    watch->source_.reset(g_unix_fd_source_new(udev_monitor_get_fd(monitor), G_IO_IN));
    g_source_set_callback(watch->source_.get(), G_SOURCE_FUNC(onReadable), watch.get(), nullptr);
    g_source_attach(watch->source_.get(), nullptr);
    return watch;
}

UdevMonitor::UdevMonitor(udev* context, udev_monitor* monitor, std::function<void()> changed)
    : context_(context), monitor_(monitor), changed_(std::move(changed)) {}

// A plug-in announces the USB device, its interfaces and its port in a burst; what has arrived
// by now makes one call.
gboolean UdevMonitor::onReadable(gint, GIOCondition, gpointer self) {
    auto& watch = *static_cast<UdevMonitor*>(self);
    if (watch.drain()) {
        watch.changed_();
    }
    return G_SOURCE_CONTINUE;
}

// The socket is non-blocking: receiving ends when nothing is left.
bool UdevMonitor::drain() {
    bool received = false;
    while (udev_device* device = udev_monitor_receive_device(monitor_.get())) {
        udev_device_unref(device);
        received = true;
    }
    return received;
}

}  // namespace dorvane
