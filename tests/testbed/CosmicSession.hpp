#pragma once

#include <map>
#include <string>

#include "testbed/CosmicDesktop.hpp"
#include "testbed/PadCompanionSession.hpp"

namespace dorvane::test {

// The real companion as a user of COSMIC runs it, on the stand-in compositor with an emulated
// pad and a home of its own. Toplevels of three applications are open, by app ID.
class CosmicSession : public PadCompanionSession {
public:
    // google-chrome.desktop, "Google Chrome".
    static constexpr const char* chrome = "google-chrome";
    // A Flatpak's app ID: com.slack.Slack.desktop, "Slack".
    static constexpr const char* slack = "com.slack.Slack";
    // No desktop entry at all.
    static constexpr const char* figma = "figma";

    CosmicSession();

    CosmicDesktop desktop;

    // Starts `binary` with `frontmost` activated.
    void launch(const std::string& binary, const std::string& frontmost);

private:
    std::map<std::string, std::string> desktopEnvironment() const override;
};

}  // namespace dorvane::test
