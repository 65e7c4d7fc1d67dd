#include "app/StatusText.hpp"

#include <time.h>

#include <array>
#include <utility>

#include "text/NoName.hpp"

namespace dorvane {
namespace {

constexpr const char* none = text::noName;

std::string quoted(const std::string& text) {
    return '"' + text + '"';
}

std::string frontmostText(const CompanionStatus& status) {
    if (!status.frontmost) {
        return none;
    }
    const auto& app = *status.frontmost;
    return app.localizedName.value_or(none) + " (" + app.bundleIdentifier.value_or(none) + ")";
}

std::string matchedText(const LayerMatch& match) {
    const char* item = match.item == LayerMatch::Item::identifier ? "the ID " : "the name ";
    const char* test = match.test == LayerMatch::Test::beginsWith ? "begins with " : "";
    return item + std::string(test) + quoted(match.text);
}

std::string whyText(const CompanionStatus& status) {
    if (!status.match) {
        return status.frontmost ? "no rule, so general" : "nothing in front, so general";
    }
    const LayerMatch& match = *status.match;
    if (match.source == LayerMatch::Source::builtIn) {
        return "built-in rule, " + matchedText(match);
    }
    return status.rulesFile + ':' + std::to_string(match.line) + ", " + matchedText(match);
}

std::string padText(const CompanionStatus& status) {
    switch (status.pad) {
        case PadState::connected:
            return "connected at " + status.padPath.value_or(none);
        case PadState::notFound:
            return "not found";
        case PadState::noPermission:
            return "no permission (see README)";
        case PadState::inUse:
            return "in use by another program";
        case PadState::paused:
            return "paused (port free for configurator)";
    }
    return none;
}

std::string timeOfDay(std::chrono::system_clock::time_point time) {
    const time_t seconds = std::chrono::system_clock::to_time_t(time);
    tm local{};
    localtime_r(&seconds, &local);
    std::array<char, 16> text{};
    strftime(text.data(), text.size(), "%H:%M:%S", &local);
    return text.data();
}

std::string lastSentText(const CompanionStatus& status) {
    if (!status.lastLine) {
        return "nothing yet";
    }
    return *status.lastLine +
           (status.lastLineTime ? " at " + timeOfDay(*status.lastLineTime) : std::string());
}

}  // namespace

std::string statusText(const CompanionStatus& status) {
    const std::pair<const char*, std::string> lines[] = {
        {"Backend:", status.backend.empty() ? none : status.backend},
        {"Frontmost:", frontmostText(status)},
        {"Slot:", status.slot.value_or(none)},
        {"Why:", whyText(status)},
        {"Paused:", status.paused ? "yes" : "no"},
        {"Pad:", padText(status)},
        {"Last sent:", lastSentText(status)},
    };
    std::string text;
    for (const auto& [label, value] : lines) {
        text += std::string(label).append(12 - std::string_view(label).size(), ' ') + value + '\n';
    }
    return text;
}

std::string statusLine(const CompanionStatus& status) {
    return status.slot.value_or(none) + "; " + frontmostText(status) + "; " + whyText(status) +
           "; pad " + padText(status) + "; sent " + lastSentText(status) + '\n';
}

}  // namespace dorvane
