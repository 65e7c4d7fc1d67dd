#include "platform/linux/desktop/GDBusNotifier.hpp"

#include <iostream>
#include <string>
#include <utility>

namespace dorvane {
namespace {

constexpr const char* serverName = "org.freedesktop.Notifications";
constexpr const char* serverPath = "/org/freedesktop/Notifications";
constexpr const char* applicationName = "Dorvane";
constexpr const char* desktopEntry = "dorvane";

bool cancelled(const GError* error) {
    return g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED);
}

struct CallResult {
    GVariantPtr reply;  // none when the call failed
    GErrorPtr error;
};

CallResult finishCall(GObject* source, GAsyncResult* result) {
    GError* raw = nullptr;
    GVariantPtr reply(g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, &raw));
    return {std::move(reply), GErrorPtr(raw)};
}

bool offersBodyMarkup(GVariant* capabilitiesReply) {
    const gchar** names = nullptr;
    g_variant_get(capabilitiesReply, "(^a&s)", &names);
    const bool offered = g_strv_contains(names, "body-markup");
    g_free(names);
    return offered;
}

}  // namespace

GDBusNotifier::GDBusNotifier() : cancellable_(g_cancellable_new()) {}

// Replies still on their way find the cancellation and leave this object alone.
GDBusNotifier::~GDBusNotifier() {
    g_cancellable_cancel(cancellable_.get());
}

void GDBusNotifier::notify(const Notification& notification) {
    if (serverKnown_) {
        send(notification);
        return;
    }
    waitingForServer_ = notification;
    if (connecting_) {
        return;
    }
    connecting_ = true;
    if (bus_) {
        askCapabilities();
    } else {
        g_bus_get(G_BUS_TYPE_SESSION, cancellable_.get(), busReady, this);
    }
}

void GDBusNotifier::busReady(GObject*, GAsyncResult* result, gpointer self) {
    GError* raw = nullptr;
    GObjectPtr<GDBusConnection> bus(g_bus_get_finish(result, &raw));
    const GErrorPtr error(raw);
    if (cancelled(error.get())) {
        return;
    }
    auto* notifier = static_cast<GDBusNotifier*>(self);
    if (!bus) {
        notifier->connecting_ = false;
        notifier->reportFailure(error.get());
        return;
    }
    notifier->bus_ = std::move(bus);
    notifier->askCapabilities();
}

// Asked once the server answers; until then a server that is not there is asked again by the
// next notification.
void GDBusNotifier::askCapabilities() {
    g_dbus_connection_call(bus_.get(), serverName, serverPath, serverName, "GetCapabilities",
                           nullptr, G_VARIANT_TYPE("(as)"), G_DBUS_CALL_FLAGS_NONE, -1,
                           cancellable_.get(), capabilitiesKnown, this);
}

void GDBusNotifier::capabilitiesKnown(GObject* source, GAsyncResult* result, gpointer self) {
    const auto [reply, error] = finishCall(source, result);
    if (cancelled(error.get())) {
        return;
    }
    auto* notifier = static_cast<GDBusNotifier*>(self);
    notifier->connecting_ = false;
    if (!reply) {
        notifier->reportFailure(error.get());
        return;
    }
    notifier->bodyMarkup_ = offersBodyMarkup(reply.get());
    notifier->serverKnown_ = true;
    if (auto waiting = std::exchange(notifier->waitingForServer_, std::nullopt)) {
        notifier->send(*waiting);
    }
}

void GDBusNotifier::send(const Notification& notification) {
    GVariantBuilder hints;
    g_variant_builder_init(&hints, G_VARIANT_TYPE_VARDICT);
    g_variant_builder_add(&hints, "{sv}", "desktop-entry", g_variant_new_string(desktopEntry));
    GCharPtr body(bodyMarkup_ ? g_markup_escape_text(notification.body.c_str(), -1)
                              : g_strdup(notification.body.c_str()));
    GVariant* parameters =
        g_variant_new("(susss@asa{sv}i)", applicationName, shownId_, icon_.uri().c_str(),
                      notification.summary.c_str(), body.get(),
                      g_variant_new_array(G_VARIANT_TYPE_STRING, nullptr, 0), &hints, -1);
    g_dbus_connection_call(bus_.get(), serverName, serverPath, serverName, "Notify", parameters,
                           G_VARIANT_TYPE("(u)"), G_DBUS_CALL_FLAGS_NONE, -1, cancellable_.get(),
                           shown, this);
}

void GDBusNotifier::shown(GObject* source, GAsyncResult* result, gpointer self) {
    const auto [reply, error] = finishCall(source, result);
    if (cancelled(error.get())) {
        return;
    }
    auto* notifier = static_cast<GDBusNotifier*>(self);
    if (!reply) {
        notifier->reportFailure(error.get());
        return;
    }
    g_variant_get(reply.get(), "(u)", &notifier->shownId_);
}

void GDBusNotifier::reportFailure(const GError* error) {
    if (!failureReported_) {
        failureReported_ = true;
        std::cerr << "dorvane: cannot show desktop notifications: " << error->message << '\n';
    }
}

}  // namespace dorvane
