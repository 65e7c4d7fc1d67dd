#pragma once

#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "testbed/KWinDesktop.hpp"
#include "testbed/PadCompanionSession.hpp"

namespace dorvane::test {

// The real companion as a user of KDE Plasma runs it: on a private KWin with an emulated pad and
// a home of its own. Windows of four applications are open, by app ID.
class KWinSession : public PadCompanionSession {
public:
    // google-chrome.desktop, "Google Chrome": found by the ID KWin reports.
    static constexpr const char* chrome = "google-chrome";
    // com.slack.Slack.desktop, "Slack": found by its StartupWMClass.
    static constexpr const char* slack = "Slack";
    // cursor.desktop, "Cursor": found by its ID, ignoring case.
    static constexpr const char* cursor = "Cursor";
    // No desktop entry at all.
    static constexpr const char* figma = "figma";

    KWinSession();

    KWinDesktop desktop{bus};

    // Starts `binary` with `frontmost` active, or with whichever window is; a second launch
    // replaces the first.
    void launch(const std::string& binary, const std::string& frontmost);
    void launch(const std::string& binary) { start(binary); }

    // The companion's runtime folder, where it writes KWin's script.
    std::filesystem::path companionRuntime() const { return environment().at("XDG_RUNTIME_DIR"); }

private:
    std::map<std::string, std::string> desktopEnvironment() const override;
};

}  // namespace dorvane::test
