#pragma once

#include <functional>

#include "app/MenuModel.hpp"

namespace dorvane {

// The companion's one visible surface: the status item with its logo, tooltip and menu.
class StatusItem {
public:
    using ActionHandler = std::function<void(MenuAction)>;

    virtual ~StatusItem() = default;

    // Creates the item with its logo and the launch tooltip; called once, first thing at launch.
    // `onAction` runs on the main loop when the user chooses an enabled menu item.
    virtual void create(ActionHandler onAction) = 0;

    // Shows `menu` in place of the previous menu and tooltip; called only when it differs from the
    // one shown.
    virtual void show(const MenuModel& menu) = 0;
};

// A status item that shows nothing, for a desktop without a tray.
class NullStatusItem final : public StatusItem {
public:
    void create(ActionHandler) override {}
    void show(const MenuModel&) override {}
};

}  // namespace dorvane
