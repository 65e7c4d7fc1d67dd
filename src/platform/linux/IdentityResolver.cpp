#include "platform/linux/IdentityResolver.hpp"

#include <gio/gio.h>

#include <compare>
#include <map>
#include <optional>
#include <string>
#include <utility>

#include "platform/linux/GLibHandles.hpp"

namespace dorvane {
namespace {

// What decides which entry names a window: everything in WindowFacts but the title.
struct IdentifyingFacts {
    std::optional<std::string> appId;
    std::optional<std::string> gtkApplicationId;
    std::optional<std::string> flatpakAppId;
    std::optional<std::string> wmClassClass;
    std::optional<std::string> wmClassInstance;

    static IdentifyingFacts of(const WindowFacts& facts) {
        return {facts.appId, facts.gtkApplicationId, facts.flatpakAppId, facts.wmClassClass,
                facts.wmClassInstance};
    }

    auto operator<=>(const IdentifyingFacts&) const = default;
};

}  // namespace

// GIO watches the folders of desktop entries (without polling) from the moment it reads them
// until they change, and then tells the monitor. Every cached answer comes from such a reading,
// made after the last change emptied the cache, so no change goes by unnoticed.
class IdentityResolver::Cache {
public:
    Cache()
        : monitor_(g_app_info_monitor_get()),
          changeHandler_(g_signal_connect(monitor_.get(), "changed", G_CALLBACK(forget), this)) {}

    ~Cache() { g_signal_handler_disconnect(monitor_.get(), changeHandler_); }

    Cache(const Cache&) = delete;
    Cache& operator=(const Cache&) = delete;

    std::map<IdentifyingFacts, RunningApplication> applications;

private:
    static void forget(GAppInfoMonitor*, gpointer cache) {
        static_cast<Cache*>(cache)->applications.clear();
    }

    GObjectPtr<GAppInfoMonitor> monitor_;
    gulong changeHandler_;
};

IdentityResolver::IdentityResolver() : cache_(std::make_unique<Cache>()) {}

IdentityResolver::~IdentityResolver() = default;
IdentityResolver::IdentityResolver(IdentityResolver&&) noexcept = default;
IdentityResolver& IdentityResolver::operator=(IdentityResolver&&) noexcept = default;

RunningApplication IdentityResolver::resolve(const WindowFacts& facts) {
    auto key = IdentifyingFacts::of(facts);
    auto& applications = cache_->applications;
    if (const auto known = applications.find(key); known != applications.end()) {
        return known->second;
    }
    auto application = identifyApplication(facts);
    applications.emplace(std::move(key), application);
    return application;
}

}  // namespace dorvane
