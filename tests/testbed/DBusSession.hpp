#pragma once

#include <gio/gio.h>

#include <map>
#include <memory>
#include <string>

#include "support/Process.hpp"
#include "support/TempDir.hpp"

namespace dorvane::test {

// A private session bus, so that nothing reaches (or autolaunches) a real one.
class DBusSession {
public:
    DBusSession();

    // DBUS_SESSION_BUS_ADDRESS for processes that should use this bus.
    std::map<std::string, std::string> environment() const {
        return {{"DBUS_SESSION_BUS_ADDRESS", address_}};
    }
    const std::string& address() const { return address_; }

private:
    TempDir folder_;
    std::string address_;
    std::unique_ptr<ChildProcess> daemon_;
};

// A connection of the caller's own to the bus at `address`, owned by the caller; throws when the
// bus cannot be reached.
GDBusConnection* connectToBus(const std::string& address);

}  // namespace dorvane::test
