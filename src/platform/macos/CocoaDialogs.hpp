#pragma once

#include "app/Dialogs.hpp"

namespace dorvane {

// NSOpenPanel and NSAlert, both run modally on the main thread.
class CocoaDialogs final : public Dialogs {
public:
    std::optional<std::filesystem::path> chooseFile(const std::string& title) override;
    void showError(const std::string& message) override;
    void dismiss() override;
};

}  // namespace dorvane
