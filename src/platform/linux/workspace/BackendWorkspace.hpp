#pragma once

#include <string>
#include <utility>

#include "app/Workspace.hpp"
#include "platform/linux/workspace/DesktopEntryIdentity.hpp"
#include "platform/linux/workspace/IdentityResolver.hpp"
#include "platform/linux/workspace/WorkspaceLossHandler.hpp"

namespace dorvane {

// What every backend's workspace keeps beside its connection to the desktop: the one handler of
// activations, the one of the desktop's loss, and the resolver that names the applications.
class BackendWorkspace : public Workspace {
public:
    void observeActivations(ActivationHandler handler) final { handler_ = std::move(handler); }

protected:
    explicit BackendWorkspace(WorkspaceLossHandler onLost) : onLost_(std::move(onLost)) {}

    // Whether activations have a handler, so that naming the application is worth its cost.
    bool observed() const { return static_cast<bool>(handler_); }

    void activated(RunningApplication application) {
        if (handler_) {
            handler_(std::move(application));
        }
    }

    void lost(const std::string& reason) {
        if (onLost_) {
            onLost_(reason);
        }
    }

    RunningApplication resolve(const WindowFacts& facts) { return resolver_.resolve(facts); }

private:
    ActivationHandler handler_;
    WorkspaceLossHandler onLost_;
    IdentityResolver resolver_;
};

}  // namespace dorvane
