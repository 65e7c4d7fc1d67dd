#pragma once

#include <gtk/gtk.h>

#include <filesystem>
#include <optional>
#include <string>

#include "app/Dialogs.hpp"

namespace dorvane {

// The dialogs as GTK windows of their own, since the companion has no window to parent them.
// GTK must be initialised first; the nested loops they run are those of the default main context.
class GtkDialogs final : public Dialogs {
public:
    // The desktop portal's chooser when GTK uses the portal (inside a sandbox), GTK's own
    // otherwise. Only local files are returned: a remote location counts as no choice.
    std::optional<std::filesystem::path> chooseFile(const std::string& title) override;

    void showError(const std::string& message) override;
    void dismiss() override;

private:
    // The dialog whose loop is running, if any; each is owned by the call that runs it.
    GtkNativeDialog* chooser_ = nullptr;
    GtkDialog* alert_ = nullptr;
};

}  // namespace dorvane
