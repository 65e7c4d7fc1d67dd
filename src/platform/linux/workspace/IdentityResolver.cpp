#include "platform/linux/workspace/IdentityResolver.hpp"

#include <gio/gio.h>

#include <compare>
#include <list>
#include <map>
#include <optional>
#include <string>
#include <utility>

#include "platform/linux/glib/GLibHandles.hpp"
#include "text/Shortening.hpp"

namespace dorvane {
namespace {

std::optional<std::string> bounded(const std::optional<std::string>& text) {
    if (!text) {
        return std::nullopt;
    }
    return std::string(text::cutToSize(*text, IdentityResolver::maxTextBytes));
}

// What decides which entry names a window: WindowFacts with each text bounded.
struct IdentifyingFacts {
    std::optional<std::string> appId;
    std::optional<std::string> applicationName;
    std::optional<std::string> gtkApplicationId;
    std::optional<std::string> flatpakAppId;
    std::optional<std::string> wmClassClass;
    std::optional<std::string> wmClassInstance;

    static IdentifyingFacts of(const WindowFacts& facts) {
        return {bounded(facts.appId),
                bounded(facts.applicationName),
                bounded(facts.gtkApplicationId),
                bounded(facts.flatpakAppId),
                bounded(facts.wmClassClass),
                bounded(facts.wmClassInstance)};
    }

    WindowFacts windowFacts() const {
        WindowFacts facts;
        facts.appId = appId;
        facts.applicationName = applicationName;
        facts.gtkApplicationId = gtkApplicationId;
        facts.flatpakAppId = flatpakAppId;
        facts.wmClassClass = wmClassClass;
        facts.wmClassInstance = wmClassInstance;
        return facts;
    }

    auto operator<=>(const IdentifyingFacts&) const = default;
};

// A desktop entry may hold any ID and Name.
RunningApplication bounded(const RunningApplication& application) {
    return {bounded(application.bundleIdentifier), bounded(application.localizedName)};
}

}  // namespace

// GIO watches the folders of desktop entries (without polling) from the moment it reads them
// until they change, and then tells the monitor. Every kept answer comes from such a reading,
// made after the last change emptied the cache, so no change goes by unnoticed. When full, the
// cache drops the answer used least recently.
class IdentityResolver::Cache {
public:
    Cache()
        : monitor_(g_app_info_monitor_get()),
          changeHandler_(g_signal_connect(monitor_.get(), "changed", G_CALLBACK(forget), this)) {}

    ~Cache() { g_signal_handler_disconnect(monitor_.get(), changeHandler_); }

    Cache(const Cache&) = delete;
    Cache& operator=(const Cache&) = delete;

    // The answer kept for `facts`, now the one used most recently; none when there is none.
    std::optional<RunningApplication> find(const IdentifyingFacts& facts) {
        const auto known = answers_.find(facts);
        if (known == answers_.end()) {
            return std::nullopt;
        }
        byLastUse_.splice(byLastUse_.end(), byLastUse_, known->second.lastUse);
        return known->second.application;
    }

    void keep(IdentifyingFacts facts, RunningApplication application) {
        if (answers_.size() == keptAnswers) {
            answers_.erase(answers_.find(*byLastUse_.front()));
            byLastUse_.pop_front();
        }
        const auto kept = answers_.emplace(std::move(facts), Answer{std::move(application), {}});
        kept.first->second.lastUse = byLastUse_.insert(byLastUse_.end(), &kept.first->first);
    }

private:
    using UseOrder = std::list<const IdentifyingFacts*>;

    struct Answer {
        RunningApplication application;
        UseOrder::iterator lastUse;
    };

    static void forget(GAppInfoMonitor*, gpointer self) {
        auto& cache = *static_cast<Cache*>(self);
        cache.byLastUse_.clear();
        cache.answers_.clear();
    }

    std::map<IdentifyingFacts, Answer> answers_;
    UseOrder byLastUse_;  // the keys of answers_, least recently used first
    GObjectPtr<GAppInfoMonitor> monitor_;
    gulong changeHandler_;
};

IdentityResolver::IdentityResolver() : cache_(std::make_unique<Cache>()) {}

IdentityResolver::~IdentityResolver() = default;

RunningApplication IdentityResolver::resolve(const WindowFacts& facts) {
    auto key = IdentifyingFacts::of(facts);
    if (auto known = cache_->find(key)) {
        return *std::move(known);
    }
    auto application = bounded(identifyApplication(key.windowFacts()));
    cache_->keep(std::move(key), application);
    return application;
}

}  // namespace dorvane
