#pragma once

#include <gio/gio.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace dorvane::test {

// One entry of a status item's menu as dbusmenu exports it.
struct ExportedMenuItem {
    int id = 0;
    std::string label;
    bool enabled = true;
    bool separator = false;
};

// Looks at status items the way a tray host does: through the StatusNotifierWatcher on the
// session bus, the item's properties, and its com.canonical.dbusmenu menu.
class StatusNotifierClient {
public:
    explicit StatusNotifierClient(const std::string& busAddress);
    ~StatusNotifierClient();
    StatusNotifierClient(const StatusNotifierClient&) = delete;
    StatusNotifierClient& operator=(const StatusNotifierClient&) = delete;

    // Waits until a tray host owns the watcher.
    bool waitForHost(std::chrono::milliseconds timeout);

    // Waits until exactly one item is registered, and remembers it.
    bool waitForItem(std::chrono::milliseconds timeout);

    // Waits until `bus` exports an item at `path`, and remembers it: on a desktop without a
    // watcher, where no item registers, but each still exports its menu.
    bool waitForItemAt(const std::string& bus, const std::string& path,
                       std::chrono::milliseconds timeout);

    std::string title();
    std::vector<ExportedMenuItem> menu();

    // Clicks the menu item whose label is `label`; false when there is none.
    bool click(const std::string& label);

private:
    bool adopt(const std::string& bus, const std::string& path);
    GVariant* call(const std::string& bus, const std::string& path, const std::string& interface,
                   const std::string& method, GVariant* parameters, const GVariantType* reply);
    GVariant* property(const std::string& bus, const std::string& path,
                       const std::string& interface, const std::string& name);

    GDBusConnection* connection_;
    std::string itemBus_;
    std::string itemPath_;
    std::string menuPath_;
};

}  // namespace dorvane::test
