#include "platform/linux/desktop/TrayStatusItem.hpp"

#include <algorithm>
#include <string>
#include <string_view>

#include "platform/linux/desktop/TrayIconTheme.hpp"
#include "platform/linux/glib/SessionBus.hpp"

namespace dorvane {
namespace {

constexpr const char* applicationId = "dorvane";
constexpr const char* actionKey = "dorvane-action";

// Menu labels take an underscore as a mnemonic, in GTK and over dbusmenu alike; a doubled one
// shows as itself, so that titles such as "Frontmost: my_app" appear unchanged.
std::string mnemonicFree(const std::string& title) {
    std::string label;
    for (const char character : title) {
        if (character == '_') {
            label += '_';
        }
        label += character;
    }
    return label;
}

// libayatana-appindicator 0.5.94 (Debian 13 on) warns at every start that it is deprecated in
// favour of libayatana-appindicator-glib, which not every release the companion runs on packages.
// The library still works; the warning would only alarm the user. Its other messages pass.
constexpr const char* indicatorLogDomain = "libayatana-appindicator";
constexpr std::string_view deprecationNotice = "libayatana-appindicator is deprecated";

void dropDeprecationNotice(const gchar* domain, GLogLevelFlags level, const gchar* message,
                           gpointer) {
    if (!std::string_view(message).starts_with(deprecationNotice)) {
        g_log_default_handler(domain, level, message, nullptr);
    }
}

AppIndicator* newIndicator() {
    G_GNUC_BEGIN_IGNORE_DEPRECATIONS
    return app_indicator_new(applicationId, trayIconName,
                             APP_INDICATOR_CATEGORY_APPLICATION_STATUS);
    G_GNUC_END_IGNORE_DEPRECATIONS
}

void activate(GtkMenuItem* item, gpointer onAction) {
    const auto action =
        static_cast<MenuAction>(GPOINTER_TO_INT(g_object_get_data(G_OBJECT(item), actionKey)));
    (*static_cast<StatusItem::ActionHandler*>(onAction))(action);
}

}  // namespace

void TrayStatusItem::MenuDestroyer::operator()(GtkWidget* menu) const {
    gtk_widget_destroy(menu);
    g_object_unref(menu);
}

// The reply to a click on "Quit Dorvane" may still be queued when the main loop ends.
TrayStatusItem::~TrayStatusItem() {
    if (sessionBus_) {
        g_dbus_connection_flush_sync(sessionBus_.get(), nullptr, nullptr);
    }
    if (logHandler_ != 0) {
        g_log_remove_handler(indicatorLogDomain, logHandler_);
    }
}

void TrayStatusItem::create(ActionHandler onAction) {
    onAction_ = std::move(onAction);
    // Held only to be flushed at the end: without a bus there is nothing to flush.
    std::string unreachable;
    sessionBus_ = connectToSessionBus(unreachable);
    logHandler_ =
        g_log_set_handler(indicatorLogDomain, G_LOG_LEVEL_WARNING, dropDeprecationNotice, nullptr);
    indicator_.reset(newIndicator());
    showDrawnIcon();
    app_indicator_set_title(indicator_.get(), std::string(launchTooltip).c_str());
    app_indicator_set_status(indicator_.get(), APP_INDICATOR_STATUS_ACTIVE);
}

// The host reads the icon from a file. Should it not be written, an icon of the same name
// installed in the icon theme shows instead.
void TrayStatusItem::showDrawnIcon() {
    iconTheme_.emplace(RuntimeLogo::Kind::folder, "dorvane-XXXXXX", writeTrayIconTheme);
    const std::filesystem::path& folder = iconTheme_->path();
    if (!folder.empty()) {
        // libayatana's XEmbed fallback looks for the theme path in the default theme's search
        // path and, when it is missing, reads on past the end of the list. Put it there first.
        gtk_icon_theme_append_search_path(gtk_icon_theme_get_default(), folder.c_str());
        app_indicator_set_icon_theme_path(indicator_.get(), folder.c_str());
    }
}

void TrayStatusItem::show(const MenuModel& menu) {
    if (hasShapeOf(menu)) {
        updateItems(menu);
    } else {
        buildMenu(menu);
    }
    if (!shown_ || shown_->tooltip != menu.tooltip) {
        app_indicator_set_title(indicator_.get(), menu.tooltip.c_str());
    }
    shown_ = menu;
}

// The same items with the same actions, whatever their titles and enabled states.
bool TrayStatusItem::hasShapeOf(const MenuModel& menu) const {
    return shown_ && std::equal(shown_->items.begin(), shown_->items.end(), menu.items.begin(),
                                menu.items.end(), [](const MenuItem& was, const MenuItem& now) {
                                    return was.separator == now.separator &&
                                           was.action == now.action;
                                });
}

void TrayStatusItem::buildMenu(const MenuModel& menu) {
    MenuPtr built(GTK_WIDGET(g_object_ref_sink(gtk_menu_new())));
    std::vector<GtkWidget*> items;
    for (const MenuItem& item : menu.items) {
        items.push_back(buildItem(item));
        gtk_menu_shell_append(GTK_MENU_SHELL(built.get()), items.back());
    }
    app_indicator_set_menu(indicator_.get(), GTK_MENU(built.get()));
    menu_ = std::move(built);
    items_ = std::move(items);
}

// Key equivalents are left out: a tray menu takes no keyboard accelerators.
GtkWidget* TrayStatusItem::buildItem(const MenuItem& item) {
    if (item.separator) {
        GtkWidget* separator = gtk_separator_menu_item_new();
        gtk_widget_show(separator);
        return separator;
    }
    GtkWidget* widget = gtk_menu_item_new_with_mnemonic(mnemonicFree(item.title).c_str());
    gtk_widget_set_sensitive(widget, item.enabled);
    if (item.action != MenuAction::none) {
        g_object_set_data(G_OBJECT(widget), actionKey,
                          GINT_TO_POINTER(static_cast<int>(item.action)));
        g_signal_connect(widget, "activate", G_CALLBACK(activate), &onAction_);
    }
    gtk_widget_show(widget);
    return widget;
}

void TrayStatusItem::updateItems(const MenuModel& menu) {
    for (std::size_t index = 0; index < items_.size(); ++index) {
        const MenuItem& was = shown_->items[index];
        const MenuItem& now = menu.items[index];
        if (now.title != was.title) {
            gtk_menu_item_set_label(GTK_MENU_ITEM(items_[index]), mnemonicFree(now.title).c_str());
        }
        if (now.enabled != was.enabled) {
            gtk_widget_set_sensitive(items_[index], now.enabled);
        }
    }
}

}  // namespace dorvane
