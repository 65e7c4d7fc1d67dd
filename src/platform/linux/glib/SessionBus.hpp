#pragma once

#include <gio/gio.h>

#include <chrono>
#include <string>

#include "platform/linux/glib/GLibHandles.hpp"

namespace dorvane {

// The bus itself, as a service: its name, which is also its interface's, and its object.
inline constexpr const char* busDaemonName = "org.freedesktop.DBus";
inline constexpr const char* busDaemonPath = "/org/freedesktop/DBus";

// The session bus this process shares with GIO; none, with `failure` saying why as a clause for a
// one-line message.
GObjectPtr<GDBusConnection> connectToSessionBus(std::string& failure);

// How long a call waits for its answer unless told otherwise.
inline constexpr std::chrono::milliseconds answerTimeout{5000};

// One method call, answered within `timeout` or given up, and never starting the service: a
// desktop service that is gone or hangs must neither hang the companion nor be started again by
// it. The reply, or none with `error` (when given) set to why.
GVariantPtr callMethod(GDBusConnection* bus, const char* service, const char* path,
                       const char* interface, const char* method, GVariant* parameters,
                       const char* replyType, std::string* error = nullptr,
                       std::chrono::milliseconds timeout = answerTimeout);

// The same, to the bus itself.
GVariantPtr callBus(GDBusConnection* bus, const char* method, GVariant* parameters,
                    const char* replyType, std::string* error = nullptr);

enum class NameRequest {
    granted,      // the name is this connection's now
    alreadyOurs,  // it was this connection's before
    refused,      // another connection holds it; `failure` says so, as a clause
};

// Asks for `name` at once or not at all: a request left queued would make this connection the
// heir of whichever program holds it.
NameRequest requestName(GDBusConnection* bus, const char* name, std::string& failure);

}  // namespace dorvane
