#include "platform/macos/IOKitMonitor.hpp"

namespace dorvane {

std::unique_ptr<IOKitMonitor> IOKitMonitor::start(std::function<void()> changed) {
    IONotificationPortRef port = IONotificationPortCreate(kIOMainPortDefault);
    if (port == nullptr) {
        return nullptr;
    }
    std::unique_ptr<IOKitMonitor> monitor(new IOKitMonitor(port, std::move(changed)));
    if (!monitor->watch(kIOFirstMatchNotification, monitor->firstMatch_) ||
        !monitor->watch(kIOTerminatedNotification, monitor->terminated_)) {
        return nullptr;
    }
    CFRunLoopAddSource(CFRunLoopGetMain(), IONotificationPortGetRunLoopSource(port),
                       kCFRunLoopCommonModes);
    return monitor;
}

IOKitMonitor::IOKitMonitor(IONotificationPortRef port, std::function<void()> changed)
    : port_(port), changed_(std::move(changed)) {}

// The run-loop source belongs to the port, which destroys it; it leaves the run loop first.
IOKitMonitor::~IOKitMonitor() {
    CFRunLoopRemoveSource(CFRunLoopGetMain(), IONotificationPortGetRunLoopSource(port_.get()),
                          kCFRunLoopCommonModes);
}

// A new iterator holds the services that already match, and stays silent until it has been
// emptied once; those are the ones the caller's own search finds, so they are not reported.
bool IOKitMonitor::watch(const char* notificationType, IOObject& iterator) {
    // The call takes the matching dictionary over, whatever its result.
    CFMutableDictionaryRef matching = IOServiceMatching("IOSerialBSDClient");
    if (matching == nullptr) {
        return false;
    }
    io_iterator_t added = 0;
    if (IOServiceAddMatchingNotification(port_.get(), notificationType, matching, onNotification,
                                         this, &added) != KERN_SUCCESS) {
        return false;
    }
    iterator = IOObject(added);
    drain(added);
    return true;
}

// The iterator must be emptied on every call, or it falls silent. Several services gone or come
// at once make one call.
void IOKitMonitor::onNotification(void* self, io_iterator_t iterator) {
    if (drain(iterator)) {
        static_cast<IOKitMonitor*>(self)->changed_();
    }
}

bool IOKitMonitor::drain(io_iterator_t iterator) {
    bool any = false;
    for (IOObject service(IOIteratorNext(iterator)); service.get() != 0;
         service = IOObject(IOIteratorNext(iterator))) {
        any = true;
    }
    return any;
}

}  // namespace dorvane
