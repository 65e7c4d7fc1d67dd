#pragma once

#include <filesystem>
#include <string>

#include "app/Notifier.hpp"
#include "rules/RulesError.hpp"

namespace dorvane {

// What the user is told when a saved rules file does not parse, for example
// "apps.txt, line 3: Unknown profile slot: figma. The previous rules stay in force."
inline Notification brokenRulesNotice(const std::filesystem::path& rulesFile,
                                      const RulesError& error) {
    std::string body = rulesFile.filename().string();
    if (error.line()) {
        body += ", line " + std::to_string(*error.line());
    }
    body += ": ";
    body += error.what();
    if (!body.ends_with('.')) {
        body += '.';
    }
    body += " The previous rules stay in force.";
    return {"The app rules file has a mistake", std::move(body)};
}

}  // namespace dorvane
