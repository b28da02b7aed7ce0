#pragma once

// The program's status item as the menu bar draws it: a piece of the bar as wide as the item and
// as high as the bar is thick, with the button's image in the middle at the size of menu-bar
// icons. The image is a template: only its shape counts, drawn in the colour of the bar's text for
// the appearance (dark on a light bar, light on a dark one), at half strength while the button
// appears disabled; while the item's menu is open the bar highlights the item behind it.

#include "platform/status_bar.h"
#include "ui/appearance.h"
#include "ui/image.h"

namespace zoral::ui {

// The size at which the bar draws an item's image, in points.
inline constexpr double statusItemImageSize = 18;

struct StatusItemLook {
    AppearanceName appearance = AppearanceName::aqua;
    // The bar's thickness, in points.
    double thickness = 24;
    bool highlighted = false;
    // Pixels per point.
    double scale = 2;
};

// The item's piece of the bar; an empty image for an item out of the bar or without a button.
Image renderStatusItem(platform::StatusItem& item, const StatusItemLook& look);

// The colours of the bar and of its text in the appearance.
platform::RGBColor menuBarColour(AppearanceName appearance);
platform::RGBColor menuBarTextColour(AppearanceName appearance);

}  // namespace zoral::ui
