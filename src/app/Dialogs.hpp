#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace dorvane {

// The companion's modal dialogs. Both run the main loop while they are up, so ticks and
// activations go on being handled.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    // Brings the companion forward and asks for one file (no folders) under `title`; none when
    // the user cancels or chooses nothing.
    virtual std::optional<std::filesystem::path> chooseFile(const std::string& title) = 0;

    // One alert that shows `message`, until the user dismisses it.
    virtual void showError(const std::string& message) = 0;

    // Closes the chooser or alert that is open, as if the user had cancelled it, so that quitting
    // is not held up by a modal loop; harmless when none is open.
    virtual void dismiss() = 0;
};

}  // namespace dorvane
