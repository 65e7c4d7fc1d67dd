#pragma once

#include <optional>
#include <utility>

#include "app/MenuModel.hpp"

namespace dorvane {

// Keeps the open status menu from being replaced under the user's pointer: while it is open,
// models are held back, the latest in place of any before it, until the menu has closed.
class MenuHold {
public:
    void opened() { open_ = true; }

    // True while the menu is open: `model` is then kept for closed() instead of being shown.
    bool holdBack(const MenuModel& model) {
        if (open_) {
            held_ = model;
        }
        return open_;
    }

    // The latest model held back while the menu was open, handed out once; none if none came.
    std::optional<MenuModel> closed() {
        open_ = false;
        return std::exchange(held_, std::nullopt);
    }

private:
    bool open_ = false;
    std::optional<MenuModel> held_;
};

}  // namespace dorvane
