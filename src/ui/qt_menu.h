#pragma once

// The toolkit's menu widget made from a menu of the program (ui/menu_painting.h); for the code of
// ui/ only. Choosing one of the widget's entries runs the item's action.

#include <QMenu>
#include <memory>

#include "platform/menus.h"
#include "ui/appearance.h"

namespace zoral::ui {

std::unique_ptr<QMenu> makeQMenu(const platform::Menu& menu, AppearanceName appearance);

}  // namespace zoral::ui
