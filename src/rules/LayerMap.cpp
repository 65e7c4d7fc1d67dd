#include "rules/LayerMap.hpp"

#include <algorithm>
#include <thread>
#include <utility>

#include "rules/RulesError.hpp"
#include "rules/RulesFile.hpp"
#include "rules/RulesLocation.hpp"
#include "text/Unicode.hpp"

namespace dorvane {
namespace {

// The running application as the rules see it: both texts lower-cased, empty when absent.
struct AppKeys {
    std::string identifier;
    std::string name;
};

AppKeys keysOf(const RunningApplication& app) {
    const auto lowered = [](const std::optional<std::string>& text) {
        return text ? unicode::lowercased(std::string_view(*text)) : std::string();
    };
    return {lowered(app.bundleIdentifier), lowered(app.localizedName)};
}

enum class Test { nameEquals, identifierEquals, identifierBeginsWith };

struct BuiltInRule {
    Test test;
    std::string_view text;
    std::string_view slot;
};

// In force while no rules file is loaded; the first that holds decides.
constexpr BuiltInRule builtInRules[] = {
    {Test::nameEquals, "cursor", "cursor"},
    {Test::identifierBeginsWith, "com.todesktop.", "cursor"},
    {Test::identifierBeginsWith, "com.anysphere.cursor", "cursor"},
    {Test::identifierEquals, "com.google.chrome", "chrome"},
    {Test::identifierBeginsWith, "com.google.chrome.", "chrome"},
    {Test::nameEquals, "google chrome", "chrome"},
    {Test::identifierEquals, "com.tinyspeck.slackmacgap", "slack"},
    {Test::nameEquals, "slack", "slack"},
};

bool holds(const BuiltInRule& rule, const AppKeys& keys) {
    switch (rule.test) {
        case Test::nameEquals:
            return keys.name == rule.text;
        case Test::identifierEquals:
            return keys.identifier == rule.text;
        case Test::identifierBeginsWith:
            return keys.identifier.starts_with(rule.text);
    }
    return false;
}

LayerMatch::Item itemOf(Test test) {
    return test == Test::nameEquals ? LayerMatch::Item::name : LayerMatch::Item::identifier;
}

std::optional<LayerMatch> builtInMatchFor(const AppKeys& keys) {
    for (const auto& rule : builtInRules) {
        if (holds(rule, keys)) {
            const auto test = rule.test == Test::identifierBeginsWith ? LayerMatch::Test::beginsWith
                                                                      : LayerMatch::Test::equals;
            return LayerMatch{std::string(rule.slot), LayerMatch::Source::builtIn,
                              itemOf(rule.test),      test,
                              std::string(rule.text), 0};
        }
    }
    return std::nullopt;
}

std::optional<LayerMatch> entry(const ParsedRules& parsed, const std::string& key,
                                LayerMatch::Item item) {
    const auto found = parsed.rules.find(key);
    if (found == parsed.rules.end()) {
        return std::nullopt;
    }
    return LayerMatch{found->second, LayerMatch::Source::rulesFile, item, LayerMatch::Test::equals,
                      key,           parsed.lines.at(key)};
}

// The identifier's slot wins over the name's. An empty one finds nothing: no key is empty.
std::optional<LayerMatch> customMatchFor(const ParsedRules& parsed, const AppKeys& keys) {
    if (auto match = entry(parsed, keys.identifier, LayerMatch::Item::identifier)) {
        return match;
    }
    return entry(parsed, keys.name, LayerMatch::Item::name);
}

std::chrono::system_clock::time_point modifiedAt(const rulesfile::FileStamp& stamp) {
    const auto sinceEpoch = std::chrono::seconds(stamp.modified.seconds) +
                            std::chrono::nanoseconds(stamp.modified.nanoseconds);
    return std::chrono::system_clock::time_point(
        std::chrono::duration_cast<std::chrono::system_clock::duration>(sinceEpoch));
}

}  // namespace

LayerMap& LayerMap::shared() {
    static LayerMap map(defaultRulesFile());
    return map;
}

LayerMap::LayerMap(std::filesystem::path fileURL, Clock now)
    : fileURL_(std::move(fileURL)), now_(std::move(now)) {}

std::optional<std::string> LayerMap::layerFor(const RunningApplication& app) {
    const auto match = matchFor(app);
    return match ? std::optional(match->slot) : std::nullopt;
}

std::optional<LayerMatch> LayerMap::matchFor(const RunningApplication& app) {
    const AppKeys keys = keysOf(app);
    reload();
    return custom_ ? customMatchFor(*custom_, keys) : builtInMatchFor(keys);
}

void LayerMap::importRules(const std::filesystem::path& source) {
    const std::string text = rulesfile::readTextFile(source);
    ParsedRules rules = parseRulesWithLines(text);
    rulesfile::writeFileAtomically(fileURL_, text);
    custom_ = std::move(rules);
    stamp_.reset();
    firstLook_ = false;
    loadErrors_.forget();
}

std::optional<RulesError> LayerMap::takeNewLoadError() {
    return loadErrors_.takeNew();
}

// A file that cannot be loaded leaves the rules loaded before in force; why is only kept for
// takeNewLoadError(). A failure of the system is not kept: it may pass by itself, as for a file
// deleted and created again while it is read. A file that has not settled is left to a later
// look, with no word: the tick looks again within a second, and the watch once a save is done.
void LayerMap::reload() {
    const auto stamp = currentStamp();
    if (!stamp) {
        // No load error is forgotten: an editor that saves by deleting and creating the file
        // would otherwise have the same broken text reported at every save.
        custom_.reset();
        stamp_.reset();
        return;
    }
    if (stamp_ == stamp || timeToSettle(*stamp) > std::chrono::nanoseconds::zero()) {
        return;
    }
    std::string text;
    try {
        text = rulesfile::readTextFile(fileURL_);
        custom_ = parseRulesWithLines(text);
        stamp_ = stamp;
        loadErrors_.forget();
    } catch (const NotARulesFileError& error) {
        loadErrors_.note("", RulesError(error.reason(), std::nullopt));
    } catch (const FileError&) {
    } catch (const RulesError& error) {
        loadErrors_.note(text, error);
    }
}

// The first look waits for a file still being written rather than leave it to the next: it would
// put the built-in rules in force meanwhile, and a one-off command has no next look.
std::optional<rulesfile::FileStamp> LayerMap::currentStamp() {
    auto stamp = rulesfile::fileStamp(fileURL_);
    if (std::exchange(firstLook_, false) && stamp) {
        if (const auto left = timeToSettle(*stamp); left > std::chrono::nanoseconds::zero()) {
            std::this_thread::sleep_for(left);
            stamp = rulesfile::fileStamp(fileURL_);
        }
    }
    return stamp;
}

// A write dates the file about now, give or take a file server's clock; a time far ahead of the
// clock was left by no write going on now, but by a clock set back since or a restore.
std::chrono::nanoseconds LayerMap::timeToSettle(const rulesfile::FileStamp& stamp) const {
    const auto age = now_() - modifiedAt(stamp);
    if (age <= -settleTime) {
        return std::chrono::nanoseconds::zero();
    }
    return std::max<std::chrono::nanoseconds>(settleTime - age, std::chrono::nanoseconds::zero());
}

}  // namespace dorvane
