#include "platform/linux/status/StatusClient.hpp"

#include <utility>

#include "platform/linux/glib/SessionBus.hpp"
#include "platform/linux/status/StatusProperties.hpp"
#include "platform/linux/workspace/FocusReportEndpoint.hpp"

namespace dorvane {

std::unique_ptr<StatusClient> StatusClient::open(std::ostream& err) {
    std::string failure;
    auto bus = connectToSessionBus(failure);
    if (!bus) {
        err << "dorvane: " << failure << '\n';
        return nullptr;
    }
    std::unique_ptr<StatusClient> client(new StatusClient(std::move(bus)));
    if (!client->readAll(err)) {
        return nullptr;
    }
    return client;
}

// Subscribed before reading, so that no change in between is missed; a change heard before the
// reading is in it too.
StatusClient::StatusClient(GObjectPtr<GDBusConnection> bus) : bus_(std::move(bus)) {
    changeSubscription_ = g_dbus_connection_signal_subscribe(
        bus_.get(), FocusReportEndpoint::busName, statusbus::propertiesInterface,
        "PropertiesChanged", FocusReportEndpoint::objectPath, statusbus::interfaceName,
        G_DBUS_SIGNAL_FLAGS_NONE, onPropertiesChanged, this, nullptr);
    ownerSubscription_ = g_dbus_connection_signal_subscribe(
        bus_.get(), busDaemonName, busDaemonName, "NameOwnerChanged", busDaemonPath,
        FocusReportEndpoint::busName, G_DBUS_SIGNAL_FLAGS_NONE, onOwnerChanged, this, nullptr);
}

StatusClient::~StatusClient() {
    g_dbus_connection_signal_unsubscribe(bus_.get(), changeSubscription_);
    g_dbus_connection_signal_unsubscribe(bus_.get(), ownerSubscription_);
}

bool StatusClient::readAll(std::ostream& err) {
    const auto owner = callBus(bus_.get(), "GetNameOwner",
                               g_variant_new("(s)", FocusReportEndpoint::busName), "(s)");
    if (!owner) {
        err << "dorvane: the companion is not running\n";
        return false;
    }
    const gchar* unique = nullptr;
    g_variant_get(owner.get(), "(&s)", &unique);
    owner_ = unique;
    std::string error;
    const auto reply = callMethod(
        bus_.get(), owner_.c_str(), FocusReportEndpoint::objectPath, statusbus::propertiesInterface,
        "GetAll", g_variant_new("(s)", statusbus::interfaceName), "(a{sv})", &error);
    if (!reply) {
        err << "dorvane: the companion does not tell its status: " << error << '\n';
        return false;
    }
    GVariantPtr all(g_variant_get_child_value(reply.get(), 0));
    statusbus::applyProperties(all.get(), status_);
    return true;
}

void StatusClient::observe(ChangeHandler onChange, GoneHandler onGone) {
    onChange_ = std::move(onChange);
    onGone_ = std::move(onGone);
}

void StatusClient::onPropertiesChanged(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                                       const gchar*, GVariant* parameters, gpointer self) {
    auto& client = *static_cast<StatusClient*>(self);
    if (client.owner_.empty()) {
        return;
    }
    GVariantPtr changed(g_variant_get_child_value(parameters, 1));
    const CompanionStatus before = client.status_;
    statusbus::applyProperties(changed.get(), client.status_);
    if (client.status_ != before && client.onChange_) {
        client.onChange_(client.status_);
    }
}

// Any change of owner ends the companion that was read: a new one starts afresh.
void StatusClient::onOwnerChanged(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                                  const gchar*, GVariant* parameters, gpointer self) {
    auto& client = *static_cast<StatusClient*>(self);
    const gchar* newOwner = nullptr;
    g_variant_get(parameters, "(&s&s&s)", nullptr, nullptr, &newOwner);
    if (client.owner_.empty() || client.owner_ == newOwner) {
        return;
    }
    client.owner_.clear();
    if (client.onGone_) {
        client.onGone_();
    }
}

}  // namespace dorvane
