#pragma once

// The system's application switcher, driven with synthetic keys to the hardware event stream:
// one step of it (Command-Tab, Shift-Command-Tab backwards), or the switcher opened and held open
// by a Command that stays down until it is let go here.
//
// Holding Command is a fact of the whole system: every application sees it as held until a
// Command-up comes. So the Command that opening leaves down is tracked, and a gesture that ends
// without closing the switcher lets it go once (releaseHeldAppSwitcherCommand). Main thread only.

#include "desktop/direction.h"

namespace zoral::engine {

// Command down; Tab down and up with Command (and Shift when the direction is left); Command up.
void postCmdTab(desktop::Direction direction);

// Command down; Tab down and up with Command; then one scroll-wheel event of no distance, which
// keeps the switcher on screen. Command stays down.
void invokeAppSwitcher();
// Command up: the switcher brings its selection to the front.
void exitAppSwitcher();

// Whether invokeAppSwitcher left Command down and no Command-up followed.
bool isAppSwitcherCommandHeld();
// Posts the Command-up when invokeAppSwitcher left Command down; nothing otherwise, so a second
// call posts nothing.
void releaseHeldAppSwitcherCommand();

}  // namespace zoral::engine
