#include <gio/gio.h>

#include <csignal>

#include "app/Frontmost.hpp"
#include "platform/linux/FocusReportEndpoint.hpp"
#include "platform/linux/GLibMainLoop.hpp"
#include "platform/linux/SessionBus.hpp"
#include "platform/linux/WorkspaceFactory.hpp"

namespace dorvane {
namespace {

// KWin and GNOME Shell report to one name on the session bus, which a running companion holds.
// Asked only where one of them could be followed.
bool companionHoldsReportName(const WorkspaceEnvironment& environment) {
    const bool reportedBackendPossible =
        !environment.waylandDisplay.empty() &&
        (environment.forced.empty() || environment.forced == "kwin" ||
         environment.forced == "gnome");
    if (!reportedBackendPossible) {
        return false;
    }
    std::string ignored;
    const auto bus = connectToSessionBus(ignored);
    if (!bus) {
        return false;
    }
    const auto reply = callBus(bus.get(), "NameHasOwner",
                               g_variant_new("(s)", FocusReportEndpoint::busName), "(b)");
    gboolean owned = FALSE;
    if (reply) {
        g_variant_get(reply.get(), "(b)", &owned);
    }
    return owned != FALSE;
}

// The backend the companion would choose, on a GLib loop of its own.
class LinuxFrontmostSource final : public FrontmostSource {
public:
    explicit LinuxFrontmostSource(std::ostream& err)
        : chosen_(openWorkspace(err, [this, &err](const std::string& reason) {
              err << "dorvane: " << reason << '\n';
              exitCode_ = 1;
              mainLoop_.terminate();
          })) {}

    bool opened() const { return chosen_.workspace != nullptr; }

    std::string backend() const override { return chosen_.backend; }
    Workspace& workspace() override { return *chosen_.workspace; }

    int runUntilInterrupted() override {
        mainLoop_.onSignals({SIGINT, SIGTERM}, [this] { mainLoop_.terminate(); });
        mainLoop_.run();
        return exitCode_;
    }

private:
    GLibMainLoop mainLoop_;
    int exitCode_ = 0;
    ChosenWorkspace chosen_;
};

}  // namespace

std::unique_ptr<FrontmostSource> openFrontmostSource(std::ostream& err) {
    if (companionHoldsReportName(WorkspaceEnvironment::ofProcess())) {
        err << "dorvane: the companion is running and holds " << FocusReportEndpoint::busName
            << "; quit it first\n";
        return nullptr;
    }
    auto source = std::make_unique<LinuxFrontmostSource>(err);
    if (!source->opened()) {
        return nullptr;
    }
    return source;
}

}  // namespace dorvane
