#include "platform/linux/status/StatusEndpoint.hpp"

#include <utility>

#include "platform/linux/glib/SessionBus.hpp"
#include "platform/linux/status/StatusProperties.hpp"
#include "platform/linux/workspace/FocusReportEndpoint.hpp"

namespace dorvane {

std::unique_ptr<StatusEndpoint> StatusEndpoint::open(std::string& failure) {
    auto bus = connectToSessionBus(failure);
    if (!bus) {
        return nullptr;
    }
    std::unique_ptr<StatusEndpoint> endpoint(new StatusEndpoint(std::move(bus)));
    if (!endpoint->exportObject(failure) || !endpoint->takeName(failure)) {
        return nullptr;
    }
    return endpoint;
}

StatusEndpoint::StatusEndpoint(GObjectPtr<GDBusConnection> bus) : bus_(std::move(bus)) {}

StatusEndpoint::~StatusEndpoint() {
    if (ownsName_) {
        callBus(bus_.get(), "ReleaseName", g_variant_new("(s)", FocusReportEndpoint::busName),
                "(u)");
    }
    if (registration_ != 0) {
        g_dbus_connection_unregister_object(bus_.get(), registration_);
    }
}

// Beside the focus reports' interface on the same object, when the workspace has one.
bool StatusEndpoint::exportObject(std::string& failure) {
    static const GDBusInterfaceVTable vtable = {nullptr, onGetProperty, nullptr, {}};
    const GDBusNodeInfoPtr node(g_dbus_node_info_new_for_xml(statusbus::introspection(), nullptr));
    GError* raw = nullptr;
    registration_ =
        g_dbus_connection_register_object(bus_.get(), FocusReportEndpoint::objectPath,
                                          node->interfaces[0], &vtable, this, nullptr, &raw);
    const GErrorPtr error(raw);
    if (registration_ == 0) {
        failure = std::string("cannot offer ") + statusbus::interfaceName +
                  " on the session bus: " + error->message;
        return false;
    }
    return true;
}

// The connection is GIO's shared one, which the focus reports' endpoint uses too: a name it
// holds is already this connection's, and stays its until that endpoint goes, after this one.
bool StatusEndpoint::takeName(std::string& failure) {
    const NameRequest request = requestName(bus_.get(), FocusReportEndpoint::busName, failure);
    ownsName_ = request == NameRequest::granted;
    return request != NameRequest::refused;
}

void StatusEndpoint::update(const CompanionStatus& status) {
    GVariantBuilder changed;
    g_variant_builder_init(&changed, G_VARIANT_TYPE_VARDICT);
    bool anyChanged = false;
    for (const std::string& name : statusbus::propertyNames()) {
        const auto before = statusbus::propertyValue(status_, name);
        const auto after = statusbus::propertyValue(status, name);
        if (!g_variant_equal(before.get(), after.get())) {
            g_variant_builder_add(&changed, "{sv}", name.c_str(), after.get());
            anyChanged = true;
        }
    }
    status_ = status;
    if (!anyChanged) {
        g_variant_builder_clear(&changed);
        return;
    }
    g_dbus_connection_emit_signal(
        bus_.get(), nullptr, FocusReportEndpoint::objectPath, statusbus::propertiesInterface,
        "PropertiesChanged",
        g_variant_new("(s@a{sv}@as)", statusbus::interfaceName, g_variant_builder_end(&changed),
                      g_variant_new_strv(nullptr, 0)),
        nullptr);
}

GVariant* StatusEndpoint::onGetProperty(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                                        const gchar* property, GError** error, gpointer self) {
    auto value = statusbus::propertyValue(static_cast<StatusEndpoint*>(self)->status_, property);
    if (!value) {
        g_set_error(error, G_DBUS_ERROR, G_DBUS_ERROR_UNKNOWN_PROPERTY, "No such property %s",
                    property);
        return nullptr;
    }
    return value.release();
}

}  // namespace dorvane
