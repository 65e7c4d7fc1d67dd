#include "platform/linux/desktop/GtkDialogs.hpp"

#include <gtk/gtk.h>

#include <memory>

#include "platform/linux/glib/GLibHandles.hpp"

namespace dorvane {
namespace {

constexpr const char* alertTitle = "Dorvane";

// GTK keeps every toplevel alive until it is destroyed, whoever else holds a reference.
struct WidgetDestroyer {
    void operator()(GtkWidget* widget) const { gtk_widget_destroy(widget); }
};

using ToplevelPtr = std::unique_ptr<GtkWidget, WidgetDestroyer>;

}  // namespace

// Without a parent window, GTK presents the chooser itself, in front of the other applications.
std::optional<std::filesystem::path> GtkDialogs::chooseFile(const std::string& title) {
    const GObjectPtr<GtkFileChooserNative> chooser(gtk_file_chooser_native_new(
        title.c_str(), nullptr, GTK_FILE_CHOOSER_ACTION_OPEN, nullptr, nullptr));
    gtk_file_chooser_set_select_multiple(GTK_FILE_CHOOSER(chooser.get()), FALSE);
    chooser_ = GTK_NATIVE_DIALOG(chooser.get());
    const int response = gtk_native_dialog_run(chooser_);
    chooser_ = nullptr;
    if (response != GTK_RESPONSE_ACCEPT) {
        return std::nullopt;
    }
    const GCharPtr filename(gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(chooser.get())));
    if (!filename) {
        return std::nullopt;
    }
    return std::filesystem::path(filename.get());
}

// Kept above other windows: the alert answers a menu choice, and must not open behind the window
// that was in front.
void GtkDialogs::showError(const std::string& message) {
    const ToplevelPtr alert(gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, GTK_MESSAGE_ERROR,
                                                   GTK_BUTTONS_OK, "%s", message.c_str()));
    gtk_window_set_title(GTK_WINDOW(alert.get()), alertTitle);
    gtk_window_set_keep_above(GTK_WINDOW(alert.get()), TRUE);
    alert_ = GTK_DIALOG(alert.get());
    gtk_dialog_run(alert_);
    alert_ = nullptr;
}

// Hiding a native dialog ends its run loop with no response; an alert gets a cancel.
void GtkDialogs::dismiss() {
    if (chooser_ != nullptr) {
        gtk_native_dialog_hide(chooser_);
    }
    if (alert_ != nullptr) {
        gtk_dialog_response(alert_, GTK_RESPONSE_CANCEL);
    }
}

}  // namespace dorvane
