#pragma once

#include <CoreFoundation/CoreFoundation.h>
#include <IOKit/IOKitLib.h>

#include <utility>

namespace dorvane {

// Owns one CoreFoundation reference. It adopts a +1 reference, the one that a Create or Copy
// function returns, and releases it once.
template <typename Ref>
class CFRef {
public:
    CFRef() = default;
    explicit CFRef(Ref adopted) : ref_(adopted) {}
    ~CFRef() { reset(); }
    CFRef(CFRef&& other) noexcept : ref_(std::exchange(other.ref_, nullptr)) {}
    CFRef& operator=(CFRef&& other) noexcept {
        if (this != &other) {
            reset();
            ref_ = std::exchange(other.ref_, nullptr);
        }
        return *this;
    }
    CFRef(const CFRef&) = delete;
    CFRef& operator=(const CFRef&) = delete;

    Ref get() const { return ref_; }
    explicit operator bool() const { return ref_ != nullptr; }

private:
    void reset() {
        if (ref_ != nullptr) {
            CFRelease(ref_);
            ref_ = nullptr;
        }
    }

    Ref ref_ = nullptr;
};

// Owns one IOKit object handle (a service, a registry entry or an iterator). It adopts the
// reference that IOKit handed out and releases it once.
class IOObject {
public:
    IOObject() = default;
    explicit IOObject(io_object_t adopted) : handle_(adopted) {}
    ~IOObject() { reset(); }
    IOObject(IOObject&& other) noexcept : handle_(std::exchange(other.handle_, 0)) {}
    IOObject& operator=(IOObject&& other) noexcept {
        if (this != &other) {
            reset();
            handle_ = std::exchange(other.handle_, 0);
        }
        return *this;
    }
    IOObject(const IOObject&) = delete;
    IOObject& operator=(const IOObject&) = delete;

    io_object_t get() const { return handle_; }

private:
    void reset() {
        if (handle_ != 0) {
            IOObjectRelease(handle_);
            handle_ = 0;
        }
    }

    io_object_t handle_ = 0;
};

}  // namespace dorvane
