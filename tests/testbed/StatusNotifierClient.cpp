#include "testbed/StatusNotifierClient.hpp"

#include <stdexcept>

#include "platform/linux/glib/GLibHandles.hpp"
#include "support/Eventually.hpp"
#include "testbed/DBusSession.hpp"

namespace dorvane::test {
namespace {

constexpr const char* watcherName = "org.kde.StatusNotifierWatcher";
constexpr const char* watcherPath = "/StatusNotifierWatcher";
constexpr const char* itemInterface = "org.kde.StatusNotifierItem";
constexpr const char* menuInterface = "com.canonical.dbusmenu";

std::string text(GVariant* dictionary, const char* key, const char* fallback) {
    const char* value = nullptr;
    return g_variant_lookup(dictionary, key, "&s", &value) ? value : fallback;
}

}  // namespace

StatusNotifierClient::StatusNotifierClient(const std::string& busAddress)
    : connection_(connectToBus(busAddress)) {}

StatusNotifierClient::~StatusNotifierClient() {
    g_object_unref(connection_);
}

GVariant* StatusNotifierClient::call(const std::string& bus, const std::string& path,
                                     const std::string& interface, const std::string& method,
                                     GVariant* parameters, const GVariantType* reply) {
    return g_dbus_connection_call_sync(connection_, bus.c_str(), path.c_str(), interface.c_str(),
                                       method.c_str(), parameters, reply, G_DBUS_CALL_FLAGS_NONE,
                                       5000, nullptr, nullptr);
}

GVariant* StatusNotifierClient::property(const std::string& bus, const std::string& path,
                                         const std::string& interface, const std::string& name) {
    GVariantPtr reply(call(bus, path, "org.freedesktop.DBus.Properties", "Get",
                           g_variant_new("(ss)", interface.c_str(), name.c_str()),
                           G_VARIANT_TYPE("(v)")));
    if (!reply) {
        return nullptr;
    }
    GVariant* value = nullptr;
    g_variant_get(reply.get(), "(v)", &value);
    return value;
}

bool StatusNotifierClient::waitForHost(std::chrono::milliseconds timeout) {
    return eventually(
        [&] {
            GVariantPtr owned(call("org.freedesktop.DBus", "/org/freedesktop/DBus",
                                   "org.freedesktop.DBus", "NameHasOwner",
                                   g_variant_new("(s)", watcherName), G_VARIANT_TYPE("(b)")));
            gboolean hasOwner = FALSE;
            if (owned) {
                g_variant_get(owned.get(), "(b)", &hasOwner);
            }
            return hasOwner == TRUE;
        },
        timeout);
}

// Items register as "BUS/PATH", or as a bare bus name with the default path.
bool StatusNotifierClient::waitForItem(std::chrono::milliseconds timeout) {
    return eventually(
        [&] {
            GVariantPtr items(
                property(watcherName, watcherPath, watcherName, "RegisteredStatusNotifierItems"));
            if (!items || g_variant_n_children(items.get()) != 1) {
                return false;
            }
            const std::string item = g_variant_get_string(
                GVariantPtr(g_variant_get_child_value(items.get(), 0)).get(), nullptr);
            const auto slash = item.find('/');
            return adopt(item.substr(0, slash),
                         slash == std::string::npos ? "/StatusNotifierItem" : item.substr(slash));
        },
        timeout);
}

bool StatusNotifierClient::waitForItemAt(const std::string& bus, const std::string& path,
                                         std::chrono::milliseconds timeout) {
    return eventually([&] { return adopt(bus, path); }, timeout);
}

bool StatusNotifierClient::adopt(const std::string& bus, const std::string& path) {
    GVariantPtr menu(property(bus, path, itemInterface, "Menu"));
    if (!menu) {
        return false;
    }
    itemBus_ = bus;
    itemPath_ = path;
    menuPath_ = g_variant_get_string(menu.get(), nullptr);
    return true;
}

std::string StatusNotifierClient::title() {
    GVariantPtr value(property(itemBus_, itemPath_, itemInterface, "Title"));
    return value ? g_variant_get_string(value.get(), nullptr) : "";
}

std::vector<ExportedMenuItem> StatusNotifierClient::menu() {
    const char* properties[] = {"label", "enabled", "type", nullptr};
    GVariantPtr reply(call(itemBus_, menuPath_, menuInterface, "GetLayout",
                           g_variant_new("(ii^as)", 0, -1, properties),
                           G_VARIANT_TYPE("(u(ia{sv}av))")));
    std::vector<ExportedMenuItem> items;
    if (!reply) {
        return items;
    }
    GVariantPtr root(g_variant_get_child_value(reply.get(), 1));
    GVariantPtr children(g_variant_get_child_value(root.get(), 2));
    for (gsize i = 0; i < g_variant_n_children(children.get()); ++i) {
        GVariantPtr boxed(g_variant_get_child_value(children.get(), i));
        GVariantPtr child(g_variant_get_variant(boxed.get()));
        GVariantPtr id(g_variant_get_child_value(child.get(), 0));
        GVariantPtr properties(g_variant_get_child_value(child.get(), 1));
        gboolean enabled = TRUE;
        g_variant_lookup(properties.get(), "enabled", "b", &enabled);
        items.push_back({g_variant_get_int32(id.get()), text(properties.get(), "label", ""),
                         enabled == TRUE,
                         text(properties.get(), "type", "standard") == "separator"});
    }
    return items;
}

// The reply is not awaited: an item may answer only once the dialog its click opened closes.
bool StatusNotifierClient::click(const std::string& label) {
    for (const auto& item : menu()) {
        if (item.label == label) {
            g_dbus_connection_call(
                connection_, itemBus_.c_str(), menuPath_.c_str(), menuInterface, "Event",
                g_variant_new("(isvu)", item.id, "clicked", g_variant_new_int32(0), 0u), nullptr,
                G_DBUS_CALL_FLAGS_NONE, -1, nullptr, nullptr, nullptr);
            return g_dbus_connection_flush_sync(connection_, nullptr, nullptr) == TRUE;
        }
    }
    return false;
}

}  // namespace dorvane::test
