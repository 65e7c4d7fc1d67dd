#pragma once

#include <optional>
#include <string>

namespace dorvane {

// The controller's state as the status item shows it, read afresh on every rebuild.
struct CompanionState {
    std::optional<std::string> lastLayer;
    std::string frontmostName;
    bool paused = false;
    bool padOpen = false;
    std::optional<std::string> padPath;

    bool operator==(const CompanionState&) const = default;
};

// The companion's one visible surface: the status item with its logo, tooltip and menu.
class StatusItem {
public:
    virtual ~StatusItem() = default;

    // Creates the item with its logo and the launch tooltip; called once, first thing at launch.
    virtual void create() = 0;

    // Replaces the menu and tooltip with ones built from `state`.
    virtual void rebuildMenu(const CompanionState& state) = 0;
};

// A status item that shows nothing, for a desktop without a tray and for the command line.
class NullStatusItem final : public StatusItem {
public:
    void create() override {}
    void rebuildMenu(const CompanionState&) override {}
};

}  // namespace dorvane
