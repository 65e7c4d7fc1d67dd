#pragma once

#include <gio/gio.h>

#include <memory>
#include <string>

#include "app/CompanionStatus.hpp"
#include "platform/linux/glib/GLibHandles.hpp"

namespace dorvane {

// The running companion's status on the session bus (see StatusProperties.hpp), for
// `dorvane status` and for `dorvane frontmost` beside it. Read-only: it has no methods, and
// says nothing until the status changes.
class StatusEndpoint {
public:
    // Exports the object, then owns the companion's name, or shares it where the focus reports
    // took it first. None, with `failure` set, when the bus cannot be reached or another program
    // holds the name.
    static std::unique_ptr<StatusEndpoint> open(std::string& failure);

    ~StatusEndpoint();
    StatusEndpoint(const StatusEndpoint&) = delete;
    StatusEndpoint& operator=(const StatusEndpoint&) = delete;

    // Announces in one PropertiesChanged the properties that differ from the last status.
    void update(const CompanionStatus& status);

private:
    explicit StatusEndpoint(GObjectPtr<GDBusConnection> bus);

    bool exportObject(std::string& failure);
    bool takeName(std::string& failure);

    static GVariant* onGetProperty(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                                   const gchar* property, GError** error, gpointer self);

    GObjectPtr<GDBusConnection> bus_;
    CompanionStatus status_;
    guint registration_ = 0;
    bool ownsName_ = false;  // false too while the focus reports' endpoint owns it
};

}  // namespace dorvane
