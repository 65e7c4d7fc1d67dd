#include "support/CompanionSession.hpp"

#include "support/Pty.hpp"

namespace dorvane::test {
namespace {

// Desktop entries as applications install them: found by ID, or by StartupWMClass.
void installDesktopEntries(const std::filesystem::path& applications) {
    writeFile(applications / "google-chrome.desktop",
              "[Desktop Entry]\nType=Application\nName=Google Chrome\nExec=true\n");
    writeFile(applications / "com.slack.Slack.desktop",
              "[Desktop Entry]\nType=Application\nName=Slack\nExec=true\n"
              "StartupWMClass=Slack\n");
}

}  // namespace

CompanionSession::CompanionSession()
    : testbed(DORVANE_SOURCE_DIR "/tests/e2e/data/pad.umockdev"),
      chrome(desktop.startClient("Google-chrome", "chromewin")),
      slack(desktop.startClient("Slack", "slackwin")),
      figma(desktop.startClient("Figma", "figmawin")),
      pad_(testbed.masterFd(padNode)) {
    installDesktopEntries(home_ / "data/applications");
    std::filesystem::create_directories(home_ / "empty");
}

void CompanionSession::launch(const std::string& binary, XDesktop::WindowId frontmost) {
    desktop.activate(frontmost);
    cookTerminal(pad_);
    auto environment = testbed.childEnvironment();
    environment.merge(desktop.environment());
    environment.insert({{"HOME", home_.path()},
                        {"XDG_CONFIG_HOME", home_ / "config"},
                        {"XDG_DATA_HOME", home_ / "data"},
                        {"XDG_DATA_DIRS", home_ / "empty"}});
    companion_ = std::make_unique<ChildProcess>(std::vector<std::string>{binary}, environment);
}

void CompanionSession::padPluggedInAs(const std::string& deviceNode) {
    pad_ = testbed.masterFd(deviceNode);
    cookTerminal(pad_);
}

std::string CompanionSession::padReceives(const std::string& expected,
                                          std::chrono::milliseconds timeout) {
    return readFromMaster(pad_, expected.size(), timeout, OnHangUp::keepWaiting);
}

std::filesystem::path CompanionSession::rulesFile() const {
    return home_ / "config/dorvane/apps.txt";
}

}  // namespace dorvane::test
