#pragma once

#include <algorithm>
#include <array>
#include <chrono>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "rules/RulesError.hpp"
#include "rules/RulesFile.hpp"
#include "rules/RulesLoadErrors.hpp"
#include "rules/RulesParser.hpp"
#include "rules/RunningApplication.hpp"

namespace dorvane {

// Why an application has its slot: a rule of the rules file, or a built-in rule.
struct LayerMatch {
    enum class Source { rulesFile, builtIn };
    // Which of the application's two texts the rule matched.
    enum class Item { identifier, name };
    // How a built-in rule tests its text; a rule of the file is always `equals`.
    enum class Test { equals, beginsWith };

    std::string slot;
    Source source = Source::rulesFile;
    Item item = Item::identifier;
    Test test = Test::equals;
    std::string text;      // the rule's key, lower-cased
    std::size_t line = 0;  // the rules file's line that gave the slot; 0 for a built-in rule

    bool operator==(const LayerMatch&) const = default;
};

// The app rules: the rules file, its parser, the change-driven reload and the lookup.
// The companion uses one process-wide instance, shared(); tests make their own.
class LayerMap {
public:
    static constexpr std::array<std::string_view, 4> layers{"cursor", "chrome", "slack", "general"};

    // The slot of every application that no rule names.
    static constexpr std::string_view fallbackLayer = layers.back();

    // Whether the text names one of layers.
    static bool isLayer(std::string_view slot) {
        return std::find(layers.begin(), layers.end(), slot) != layers.end();
    }

    // A rules file modified more recently than this may still be being written: an editor or a
    // script that writes in place in several writes leaves half a file in between.
    static constexpr std::chrono::milliseconds settleTime{150};

    // The present, against which the rules file's modification time is dated.
    using Clock = std::function<std::chrono::system_clock::time_point()>;

    // The process-wide rules at the user's rules file, located on first use.
    static LayerMap& shared();

    explicit LayerMap(std::filesystem::path fileURL, Clock now = std::chrono::system_clock::now);

    const std::filesystem::path& fileURL() const { return fileURL_; }

    // The rules of a whole rules file; throws RulesError. `text` must be valid UTF-8.
    static Rules parse(std::string_view text) { return parseRules(text); }

    // The slot for the application, or none when no rule matches. Reloads the rules file
    // first when it changed and has settled; until then the rules loaded before stay in force.
    std::optional<std::string> layerFor(const RunningApplication& app);
    // The same, with the rule that decided it.
    std::optional<LayerMatch> matchFor(const RunningApplication& app);

    // Makes the file at `source` the rules file and puts its rules in force. Throws FileError or
    // RulesError; on failure the rules file and the rules in memory are left as they were.
    void importRules(const std::filesystem::path& source);

    // Why the rules file last failed to load, once per broken version: its text does not parse,
    // or it holds no rules text at all (not UTF-8, too large, not a regular file; no line then).
    // The same broken text seen again (saved twice, touched, restored), or the same item that is
    // no rules file, is not reported again until a version loads.
    std::optional<RulesError> takeNewLoadError();

private:
    void reload();
    std::optional<rulesfile::FileStamp> currentStamp();
    std::chrono::nanoseconds timeToSettle(const rulesfile::FileStamp& stamp) const;

    std::filesystem::path fileURL_;
    Clock now_;
    bool firstLook_ = true;
    std::optional<ParsedRules> custom_;
    std::optional<rulesfile::FileStamp> stamp_;
    RulesLoadErrors loadErrors_;
};

}  // namespace dorvane
