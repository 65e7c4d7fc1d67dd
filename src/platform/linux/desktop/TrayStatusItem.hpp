#pragma once

#include <gtk/gtk.h>
#include <libayatana-appindicator/app-indicator.h>

#include <memory>
#include <optional>
#include <vector>

#include "app/StatusItem.hpp"
#include "platform/linux/desktop/RuntimeLogo.hpp"
#include "platform/linux/glib/GLibHandles.hpp"

namespace dorvane {

// The status item as a StatusNotifierItem whose menu is exported over D-Bus (libayatana-
// appindicator). Without a StatusNotifierWatcher the library falls back to an XEmbed tray icon;
// with neither host the item shows nothing and the companion carries on. GTK must be initialised
// before create(); everything runs on the default main context.
class TrayStatusItem final : public StatusItem {
public:
    TrayStatusItem() = default;
    ~TrayStatusItem() override;
    TrayStatusItem(const TrayStatusItem&) = delete;
    TrayStatusItem& operator=(const TrayStatusItem&) = delete;

    void create(ActionHandler onAction) override;

    // A model of the same shape is applied to the items in place, so hosts neither re-fetch the
    // layout nor disturb an open menu.
    void show(const MenuModel& menu) override;

private:
    // Destroys a menu: GTK keeps menus alive through their own toplevel until then.
    struct MenuDestroyer {
        void operator()(GtkWidget* menu) const;
    };
    using MenuPtr = std::unique_ptr<GtkWidget, MenuDestroyer>;

    void showDrawnIcon();
    bool hasShapeOf(const MenuModel& menu) const;
    void buildMenu(const MenuModel& menu);
    GtkWidget* buildItem(const MenuItem& item);
    void updateItems(const MenuModel& menu);

    ActionHandler onAction_;
    guint logHandler_ = 0;
    GObjectPtr<GDBusConnection> sessionBus_;
    std::optional<RuntimeLogo> iconTheme_;
    // Declared before the indicator, so that the indicator lets go of the menu first.
    MenuPtr menu_;
    std::vector<GtkWidget*> items_;  // in model order; owned by menu_
    GObjectPtr<AppIndicator> indicator_;
    std::optional<MenuModel> shown_;
};

}  // namespace dorvane
