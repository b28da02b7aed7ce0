#pragma once

// An opened menu as the program's toolkit draws it: the toolkit's own menu widget, made from the
// menu (platform/menus.h): each item's title (an attributed title with its runs in their fonts,
// an italic run in italics), a check mark for the on state, the key equivalent as the system
// writes it at the right edge, disabled items dimmed, separators as lines; hidden items are left
// out. Drawn offscreen, to look at and to test.

#include <string>

#include "platform/menus.h"
#include "ui/appearance.h"
#include "ui/image.h"

namespace zoral::ui {

// The key equivalent as a menu shows it: the modifier symbols of the mask in the system's order
// (control, option, shift, command; an upper-case equivalent adds shift), then the key, upper-case
// ("⌃⌥⌘A"), with names for the keys that type no character ("F5", "↩", "⎋", "Space", ...). Empty
// for an item without one.
std::string keyEquivalentText(const platform::MenuItem& item);

// The menu as it shows when it opens, at the scale (pixels per point).
Image renderMenu(const platform::Menu& menu, AppearanceName appearance, double scale = 2);

}  // namespace zoral::ui
