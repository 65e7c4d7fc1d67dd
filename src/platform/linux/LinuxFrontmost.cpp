#include <csignal>

#include "app/Frontmost.hpp"
#include "platform/linux/GLibMainLoop.hpp"
#include "platform/linux/WorkspaceFactory.hpp"

namespace dorvane {
namespace {

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
    auto source = std::make_unique<LinuxFrontmostSource>(err);
    if (!source->opened()) {
        return nullptr;
    }
    return source;
}

}  // namespace dorvane
