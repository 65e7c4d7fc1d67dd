#pragma once

#include <string>

namespace dorvane {

struct Notification {
    std::string summary;
    std::string body;

    bool operator==(const Notification&) const = default;
};

// Shows desktop notifications. Nothing waits for them to be shown, and a desktop that cannot show
// them loses them.
class Notifier {
public:
    virtual ~Notifier() = default;

    virtual void notify(const Notification& notification) = 0;
};

}  // namespace dorvane
