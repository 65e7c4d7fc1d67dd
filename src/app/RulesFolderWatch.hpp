#pragma once

#include <filesystem>
#include <functional>

namespace dorvane {

// Tells the controller that the rules file may have been saved, so that it looks sooner than the
// next tick. A hint only: the reload decides whether anything changed, and the tick still looks
// every second, so a missed or spurious hint costs nothing but time.
class RulesFolderWatch {
public:
    using ChangeHandler = std::function<void()>;

    virtual ~RulesFolderWatch() = default;

    // Calls `onChange` on the main loop after a save of `rulesFile` has completed.
    virtual void start(const std::filesystem::path& rulesFile, ChangeHandler onChange) = 0;

    // Takes up folders that did not exist until now. Called by every tick, so it must cost
    // nothing while every folder is watched.
    virtual void catchUp() = 0;
};

// For a platform without a watch: the tick alone notices a saved rules file.
class TickOnlyRulesWatch final : public RulesFolderWatch {
public:
    void start(const std::filesystem::path&, ChangeHandler) override {}
    void catchUp() override {}
};

}  // namespace dorvane
