#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/Workspace.hpp"
#include "platform/linux/workspace/BackendStart.hpp"
#include "platform/linux/workspace/WorkspaceLossHandler.hpp"

namespace dorvane {

class KWinScript;
class ReportedWorkspace;

// KDE Plasma's compositor, KWin, telling the companion of its active window over the session bus,
// through a script that the companion loads into it for as long as this lives.
class KWinWorkspace final : public Workspace {
public:
    // Starts when org.kde.KWin is on the session bus and runs the script, and returns once KWin
    // has first reported (or after a short while); `onLost` hears, on the main loop, that KWin
    // left.
    static BackendStart open(WorkspaceLossHandler onLost);

    ~KWinWorkspace() override;
    KWinWorkspace(const KWinWorkspace&) = delete;
    KWinWorkspace& operator=(const KWinWorkspace&) = delete;

    std::optional<RunningApplication> frontmostApplication() override;
    void observeActivations(ActivationHandler handler) override;

private:
    explicit KWinWorkspace(std::unique_ptr<ReportedWorkspace> reports);

    // The endpoint is there before the script runs, so that its first report arrives; the
    // script goes first, so that it never reports to a name already released.
    std::unique_ptr<ReportedWorkspace> reports_;
    std::unique_ptr<KWinScript> script_;
};

}  // namespace dorvane
