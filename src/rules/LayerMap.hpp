#pragma once

#include <array>
#include <cstddef>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "rules/RulesError.hpp"
#include "rules/RulesFile.hpp"
#include "rules/RunningApplication.hpp"

namespace dorvane {

// Lower-cased bundle identifier or display name → profile slot. Ordered by key (byte order).
using Rules = std::map<std::string, std::string>;

// The app rules: the rules file, its parser, the change-driven reload and the lookup.
// The companion uses one process-wide instance, shared(); tests make their own.
class LayerMap {
public:
    static constexpr std::array<std::string_view, 4> layers{"cursor", "chrome", "slack", "general"};

    // The process-wide rules at the user's rules file, located on first use.
    static LayerMap& shared();

    explicit LayerMap(std::filesystem::path fileURL);

    const std::filesystem::path& fileURL() const { return fileURL_; }

    // The rules of a whole rules file; throws RulesError. `text` must be valid UTF-8.
    static Rules parse(std::string_view text);

    // The slot for the application, or none when no rule matches. Reloads the rules file
    // first when it changed.
    std::optional<std::string> layerFor(const RunningApplication& app);

    // Makes the file at `source` the rules file and puts its rules in force. Throws FileError or
    // RulesError; on failure the rules file and the rules in memory are left as they were.
    void importRules(const std::filesystem::path& source);

    // Why the rules file last failed to parse, once per broken version: the same broken text
    // seen again (saved twice, touched, restored) is not reported again until a version loads.
    std::optional<RulesError> takeNewParseError();

private:
    void reload();
    void noteParseError(std::string_view text, const RulesError& error);
    void forgetParseErrors();

    std::filesystem::path fileURL_;
    std::optional<Rules> custom_;
    std::optional<rulesfile::FileStamp> stamp_;
    // A hash keeps the broken text's identity without holding up to a mebibyte of it.
    std::optional<std::size_t> reportedBrokenText_;
    std::optional<RulesError> unreportedError_;
};

}  // namespace dorvane
