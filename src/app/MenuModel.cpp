#include "app/MenuModel.hpp"

#include "rules/LayerMap.hpp"
#include "text/Shortening.hpp"

namespace dorvane {
namespace {

MenuItem stateLine(std::string title) {
    return {false, std::move(title), false, MenuAction::none, ""};
}

MenuItem separator() {
    return {true, "", false, MenuAction::none, ""};
}

MenuItem action(std::string title, MenuAction action, std::string keyEquivalent = "") {
    return {false, std::move(title), true, action, std::move(keyEquivalent)};
}

std::string padLine(const CompanionState& state) {
    if (state.paused) {
        return "Pad: paused (port free for configurator)";
    }
    if (state.padOpen) {
        return "Pad: " + state.padPath.value_or("connected");
    }
    if (state.padAccessDenied) {
        return "Pad: no permission (see README)";
    }
    return "Pad: not found";
}

}  // namespace

MenuModel menuModelFor(const CompanionState& state) {
    return {
        {
            stateLine("Dorvane"),
            stateLine("Layer: " + state.lastLayer.value_or("cursor (default)")),
            stateLine(padLine(state)),
            stateLine(text::shortened("Frontmost: " + state.frontmostName)),
            separator(),
            action("Customize keys\u2026", MenuAction::openConfigurator),
            action(state.paused ? "Resume companion" : "Pause companion", MenuAction::togglePause),
            action("Import app rules\u2026", MenuAction::importAppRules),
            action("Edit app rules\u2026", MenuAction::editAppRules),
            action("Quit Dorvane", MenuAction::quit, "q"),
        },
        "Dorvane \u00b7 " + state.lastLayer.value_or(std::string(LayerMap::fallbackLayer)),
    };
}

}  // namespace dorvane
