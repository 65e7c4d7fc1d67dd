#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "app/CompanionState.hpp"

namespace dorvane {

enum class MenuAction { none, openConfigurator, togglePause, importAppRules, editAppRules, quit };

struct MenuItem {
    bool separator = false;
    std::string title;
    bool enabled = false;
    MenuAction action = MenuAction::none;
    std::string keyEquivalent;  // with the platform's default modifier

    bool operator==(const MenuItem&) const = default;
};

// Everything the status item shows besides its logo.
struct MenuModel {
    std::vector<MenuItem> items;
    std::string tooltip;

    bool operator==(const MenuModel&) const = default;
};

// The tooltip before the first menu is built.
inline constexpr std::string_view launchTooltip = "Dorvane";

// Four lines of state, a separator and the five actions, built afresh from the state. The
// frontmost application's name comes from other programs: its line is shortened to fit.
MenuModel menuModelFor(const CompanionState& state);

}  // namespace dorvane
