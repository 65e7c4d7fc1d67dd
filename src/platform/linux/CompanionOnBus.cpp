#include "platform/linux/CompanionOnBus.hpp"

#include <gio/gio.h>

#include <string>

#include "platform/linux/glib/SessionBus.hpp"
#include "platform/linux/workspace/FocusReportEndpoint.hpp"

namespace dorvane {

bool companionHoldsReportName(const WorkspaceEnvironment& environment) {
    if (!mayFollowReportsOverBus(environment)) {
        return false;
    }
    std::string ignored;
    const auto bus = connectToSessionBus(ignored);
    if (!bus) {
        return false;
    }
    const auto reply = callBus(bus.get(), "NameHasOwner",
                               g_variant_new("(s)", FocusReportEndpoint::busName), "(b)");
    gboolean owned = FALSE;
    if (reply) {
        g_variant_get(reply.get(), "(b)", &owned);
    }
    return owned != FALSE;
}

}  // namespace dorvane
