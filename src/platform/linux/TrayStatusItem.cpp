#include "platform/linux/TrayStatusItem.hpp"

#include <stdlib.h>

#include <algorithm>
#include <string>
#include <system_error>

#include "platform/linux/CairoLogo.hpp"

namespace dorvane {
namespace {

constexpr const char* applicationId = "dorvane";
constexpr const char* iconName = "dorvane-symbolic";
constexpr const char* actionKey = "dorvane-action";
constexpr const char* panelIconFile = "dorvane-symbolic-panel.symbolic.png";
constexpr int panelIconSizes[] = {16, 22, 24, 32, 48};

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

void activate(GtkMenuItem* item, gpointer onAction) {
    const auto action =
        static_cast<MenuAction>(GPOINTER_TO_INT(g_object_get_data(G_OBJECT(item), actionKey)));
    (*static_cast<StatusItem::ActionHandler*>(onAction))(action);
}

}  // namespace

TrayStatusItem::PrivateFolder::PrivateFolder(const std::filesystem::path& parent) {
    std::error_code ignored;
    std::filesystem::create_directories(parent, ignored);
    std::string pattern = (parent / "dorvane-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr) {
        path_ = pattern;
    }
}

TrayStatusItem::PrivateFolder::~PrivateFolder() {
    if (!path_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
}

void TrayStatusItem::MenuDestroyer::operator()(GtkWidget* menu) const {
    gtk_widget_destroy(menu);
    g_object_unref(menu);
}

// The reply to a click on "Quit Dorvane" may still be queued when the main loop ends.
TrayStatusItem::~TrayStatusItem() {
    if (sessionBus_) {
        g_dbus_connection_flush_sync(sessionBus_.get(), nullptr, nullptr);
    }
}

void TrayStatusItem::create(ActionHandler onAction) {
    onAction_ = std::move(onAction);
    sessionBus_.reset(g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr));
    indicator_.reset(
        app_indicator_new(applicationId, iconName, APP_INDICATOR_CATEGORY_APPLICATION_STATUS));
    showDrawnIcon();
    app_indicator_set_title(indicator_.get(), std::string(launchTooltip).c_str());
    app_indicator_set_status(indicator_.get(), APP_INDICATOR_STATUS_ACTIVE);
}

// The host reads the icon from a file. Should it not be written, an icon of the same name
// installed in the icon theme shows instead.
void TrayStatusItem::showDrawnIcon() {
    iconFolder_.emplace(g_get_user_runtime_dir());
    const std::filesystem::path& folder = iconFolder_->path();
    if (!folder.empty() && writeSymbolicLogo(folder / (std::string(iconName) + ".svg")) &&
        writePanelIcons(folder)) {
        // libayatana's XEmbed fallback looks for the theme path in the default theme's search
        // path and, when it is missing, reads on past the end of the list. Put it there first.
        gtk_icon_theme_append_search_path(gtk_icon_theme_get_default(), folder.c_str());
        app_indicator_set_icon_theme_path(indicator_.get(), folder.c_str());
    }
}

// libayatana's XEmbed fallback draws the icon in this process, and prefers the name with "-panel"
// appended when the icon theme has it. Drawn in PNG at the sizes trays use, it spares the process
// the SVG renderer and its XML parser (some 8 MB), while hosts still read the SVG. The fallback
// asks the theme whether the name exists, which sees only icons in a theme's folders.
bool TrayStatusItem::writePanelIcons(const std::filesystem::path& folder) {
    for (const int size : panelIconSizes) {
        const std::string sizeName = std::to_string(size) + "x" + std::to_string(size);
        const std::filesystem::path apps = folder / "hicolor" / sizeName / "apps";
        std::error_code error;
        std::filesystem::create_directories(apps, error);
        if (error || !writeSymbolicLogoPng(apps / panelIconFile, size)) {
            return false;
        }
    }
    return true;
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
