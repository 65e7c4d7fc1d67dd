#pragma once

#include <filesystem>
#include <string>

#include "app/Notifier.hpp"
#include "rules/RulesError.hpp"
#include "text/Shortening.hpp"

namespace dorvane {

// What the user is told when a saved rules file does not parse, for example
// "apps.txt, line 3: Unknown profile slot: figma. The previous rules stay in force." The mistake
// quotes the file, which may hold anything: it is shortened, and the last sentence always shows.
inline Notification brokenRulesNotice(const std::filesystem::path& rulesFile,
                                      const RulesError& error) {
    std::string mistake = rulesFile.filename().string();
    if (error.line()) {
        mistake += ", line " + std::to_string(*error.line());
    }
    mistake += ": ";
    mistake += error.what();
    std::string body = text::shortened(mistake);
    if (!body.ends_with('.') && !body.ends_with("\u2026")) {
        body += '.';
    }
    body += " The previous rules stay in force.";
    return {"The app rules file has a mistake", std::move(body)};
}

}  // namespace dorvane
