#include "rules/LayerMap.hpp"

#include <functional>
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

std::optional<std::string> builtInLayerFor(const AppKeys& keys) {
    for (const auto& rule : builtInRules) {
        if (holds(rule, keys)) {
            return std::string(rule.slot);
        }
    }
    return std::nullopt;
}

std::optional<std::string> entry(const Rules& rules, const std::string& key) {
    const auto found = rules.find(key);
    return found != rules.end() ? std::optional(found->second) : std::nullopt;
}

// The identifier's slot wins over the name's. An empty one finds nothing: no key is empty.
std::optional<std::string> customLayerFor(const Rules& rules, const AppKeys& keys) {
    if (auto slot = entry(rules, keys.identifier)) {
        return slot;
    }
    return entry(rules, keys.name);
}

}  // namespace

LayerMap& LayerMap::shared() {
    static LayerMap map(defaultRulesFile());
    return map;
}

LayerMap::LayerMap(std::filesystem::path fileURL) : fileURL_(std::move(fileURL)) {}

std::optional<std::string> LayerMap::layerFor(const RunningApplication& app) {
    const AppKeys keys = keysOf(app);
    reload();
    return custom_ ? customLayerFor(*custom_, keys) : builtInLayerFor(keys);
}

void LayerMap::importRules(const std::filesystem::path& source) {
    const std::string text = rulesfile::readTextFile(source);
    Rules rules = parse(text);
    rulesfile::writeFileAtomically(fileURL_, text);
    custom_ = std::move(rules);
    stamp_.reset();
    forgetParseErrors();
}

std::optional<RulesError> LayerMap::takeNewParseError() {
    return std::exchange(unreportedError_, std::nullopt);
}

// A file that cannot be read or parsed leaves the rules loaded before in force; a parse error is
// only kept for takeNewParseError().
// Anything but a regular file is not even opened: this runs every second, and opening a FIFO
// wakes its writer, and opening a terminal sets its modem lines.
void LayerMap::reload() {
    const auto stamp = rulesfile::fileStamp(fileURL_);
    if (!stamp) {
        custom_.reset();
        stamp_.reset();
        return;
    }
    if (stamp_ == stamp || !stamp->regularFile) {
        return;
    }
    std::string text;
    try {
        text = rulesfile::readTextFile(fileURL_);
        custom_ = parse(text);
        stamp_ = stamp;
        forgetParseErrors();
    } catch (const FileError&) {
    } catch (const RulesError& error) {
        noteParseError(text, error);
    }
}

// A missing file forgets nothing: an editor that saves by deleting and creating the file would
// otherwise have the same broken text reported at every save.
void LayerMap::noteParseError(std::string_view text, const RulesError& error) {
    const std::size_t hash = std::hash<std::string_view>{}(text);
    if (reportedBrokenText_ != hash) {
        reportedBrokenText_ = hash;
        unreportedError_ = error;
    }
}

void LayerMap::forgetParseErrors() {
    reportedBrokenText_.reset();
    unreportedError_.reset();
}

}  // namespace dorvane
