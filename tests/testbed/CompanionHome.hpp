#pragma once

#include <filesystem>
#include <map>
#include <string>

#include "support/TempDir.hpp"

namespace dorvane::test {

// A home of the companion's own: its rules under config/, desktop entries under data/, none of
// the system's entries, so that only a test's own applications are known, and a runtime folder
// of its own, so that parallel companions do not take each other for a running one.
class CompanionHome {
public:
    CompanionHome();

    // Installs `<id>.desktop`, an application entry with `keys` ("Name=Slack\n...") added.
    void addDesktopEntry(const std::string& id, const std::string& keys);

    // What the companion, or a command, needs to live in this home beside parallel tests.
    std::map<std::string, std::string> environment() const;

    std::filesystem::path rulesFile() const { return folder_ / "config/dorvane/apps.txt"; }

    // A path inside the home, for what else a test keeps there.
    std::filesystem::path operator/(const std::filesystem::path& relative) const {
        return folder_ / relative;
    }

private:
    TempDir folder_;
};

}  // namespace dorvane::test
