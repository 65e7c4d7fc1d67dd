#include "platform/linux/workspace/FocusReportEndpoint.hpp"

#include <utility>

#include "platform/linux/glib/SessionBus.hpp"
#include "platform/linux/workspace/WaylandDisplay.hpp"

namespace dorvane {
namespace {

constexpr const char* reportMethod = "ReportActiveWindow";

constexpr const char* introspection = R"(<node>
  <interface name="app.dorvane.Companion1">
    <method name="ReportActiveWindow">
      <arg type="s" name="desktop_id" direction="in"/>
      <arg type="s" name="app_name" direction="in"/>
      <arg type="s" name="window_class" direction="in"/>
      <arg type="s" name="title" direction="in"/>
      <arg type="b" name="nothing_active" direction="in"/>
    </method>
  </interface>
</node>)";

// Why the workspace is lost when the trusted name's owner becomes `newOwner`.
std::string lossOf(const std::string& trustedName, const gchar* newOwner) {
    return trustedName + (*newOwner == '\0' ? " left the session bus"
                                            : " passed to another program on the session bus");
}

ActiveWindowReport reportOf(GVariant* parameters) {
    const gchar* texts[3] = {};
    gboolean nothingActive = FALSE;
    g_variant_get(parameters, "(&s&s&s&sb)", &texts[0], &texts[1], &texts[2], nullptr,
                  &nothingActive);
    return {texts[0], texts[1], texts[2], nothingActive != FALSE};
}

}  // namespace

std::unique_ptr<FocusReportEndpoint> FocusReportEndpoint::open(const std::string& trustedName,
                                                               pid_t displayServer,
                                                               ReportHandler onReport,
                                                               WorkspaceLossHandler onLost,
                                                               std::string& failure) {
    auto bus = connectToSessionBus(failure);
    if (!bus) {
        return nullptr;
    }
    std::unique_ptr<FocusReportEndpoint> endpoint(new FocusReportEndpoint(
        std::move(bus), trustedName, std::move(onReport), std::move(onLost)));
    // The owner is known before the object can be called, and the object is there before the
    // name leads anyone to it.
    if (!endpoint->followTrustedOwner(failure) ||
        !endpoint->trustedOwnerServes(displayServer, failure) || !endpoint->exportObject(failure) ||
        !endpoint->takeName(failure)) {
        return nullptr;
    }
    return endpoint;
}

FocusReportEndpoint::FocusReportEndpoint(GObjectPtr<GDBusConnection> bus, std::string trustedName,
                                         ReportHandler onReport, WorkspaceLossHandler onLost)
    : bus_(std::move(bus)),
      trustedName_(std::move(trustedName)),
      onReport_(std::move(onReport)),
      onLost_(std::move(onLost)) {}

FocusReportEndpoint::~FocusReportEndpoint() {
    if (ownsName_) {
        callBus(bus_.get(), "ReleaseName", g_variant_new("(s)", busName), "(u)");
    }
    if (registration_ != 0) {
        g_dbus_connection_unregister_object(bus_.get(), registration_);
    }
    if (ownerSubscription_ != 0) {
        g_dbus_connection_signal_unsubscribe(bus_.get(), ownerSubscription_);
    }
}

// Subscribed before asking, so that a change in between is not missed. The bus announces a new
// owner before it passes on anything that owner sends, so a report never races its sender's
// announcement. The owner found here is the only one ever trusted: another program may have
// queued for the name, and would inherit it when the compositor lets go.
bool FocusReportEndpoint::followTrustedOwner(std::string& failure) {
    ownerSubscription_ = g_dbus_connection_signal_subscribe(
        bus_.get(), busDaemonName, busDaemonName, "NameOwnerChanged", busDaemonPath,
        trustedName_.c_str(), G_DBUS_SIGNAL_FLAGS_NONE, onOwnerChanged, this, nullptr);
    const auto reply =
        callBus(bus_.get(), "GetNameOwner", g_variant_new("(s)", trustedName_.c_str()), "(s)");
    if (!reply) {
        failure = trustedName_ + " is not on the session bus";
        return false;
    }
    const gchar* owner = nullptr;
    g_variant_get(reply.get(), "(&s)", &owner);
    trustedOwner_ = owner;
    return true;
}

// Any program may own the compositor's name before the compositor does, or in another desktop's
// session; only the process that serves this session's display is the compositor. The unique
// name asked about never passes to another connection, so the answer cannot go stale.
bool FocusReportEndpoint::trustedOwnerServes(pid_t displayServer, std::string& failure) {
    const auto reply = callBus(bus_.get(), "GetConnectionUnixProcessID",
                               g_variant_new("(s)", trustedOwner_.c_str()), "(u)");
    guint32 process = 0;
    if (reply) {
        g_variant_get(reply.get(), "(u)", &process);
    }
    if (process == 0 || !servesDisplay(static_cast<pid_t>(process), displayServer)) {
        failure = trustedName_ + " on the session bus is not the Wayland compositor at " +
                  waylandDisplayName();
        return false;
    }
    return true;
}

bool FocusReportEndpoint::exportObject(std::string& failure) {
    static const GDBusInterfaceVTable vtable = {onCall, nullptr, nullptr, {}};
    const GDBusNodeInfoPtr node(g_dbus_node_info_new_for_xml(introspection, nullptr));
    GError* raw = nullptr;
    registration_ = g_dbus_connection_register_object(bus_.get(), objectPath, node->interfaces[0],
                                                      &vtable, this, nullptr, &raw);
    const GErrorPtr error(raw);
    if (registration_ == 0) {
        failure =
            std::string("cannot offer ") + objectPath + " on the session bus: " + error->message;
        return false;
    }
    return true;
}

bool FocusReportEndpoint::takeName(std::string& failure) {
    const NameRequest request = requestName(bus_.get(), busName, failure);
    if (request == NameRequest::alreadyOurs) {
        // Held for another endpoint of this process, the reports would go there.
        failure = std::string(busName) + " is taken on the session bus";
    }
    ownsName_ = request == NameRequest::granted;
    return ownsName_;
}

void FocusReportEndpoint::onCall(GDBusConnection*, const gchar* sender, const gchar*, const gchar*,
                                 const gchar* method, GVariant* parameters,
                                 GDBusMethodInvocation* invocation, gpointer self) {
    auto& endpoint = *static_cast<FocusReportEndpoint*>(self);
    if (g_strcmp0(method, reportMethod) != 0) {
        g_dbus_method_invocation_return_dbus_error(
            invocation, "org.freedesktop.DBus.Error.UnknownMethod", "No such method");
        return;
    }
    if (endpoint.trustedOwner_.empty() || g_strcmp0(sender, endpoint.trustedOwner_.c_str()) != 0) {
        g_dbus_method_invocation_return_dbus_error(
            invocation, "org.freedesktop.DBus.Error.AccessDenied",
            ("Only " + endpoint.trustedName_ + " reports the active window").c_str());
        return;
    }
    // Answered first: the compositor's call returns while the pad is being told.
    const auto report = reportOf(parameters);
    g_dbus_method_invocation_return_value(invocation, nullptr);
    endpoint.onReport_(report);
}

void FocusReportEndpoint::onOwnerChanged(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                                         const gchar*, GVariant* parameters, gpointer self) {
    auto& endpoint = *static_cast<FocusReportEndpoint*>(self);
    const gchar* newOwner = nullptr;
    g_variant_get(parameters, "(&s&s&s)", nullptr, nullptr, &newOwner);
    // The announcement of the owner already trusted comes when it took the name after the
    // subscription; nothing comes once the workspace is lost.
    if (endpoint.trustedOwner_.empty() || endpoint.trustedOwner_ == newOwner) {
        return;
    }
    endpoint.trustedOwner_.clear();
    if (endpoint.onLost_) {
        endpoint.onLost_(lossOf(endpoint.trustedName_, newOwner));
    }
}

}  // namespace dorvane
