#pragma once

// The handlers for origins that stand for one window (its title bar, toolbar or buttons, the
// window under the super modifier, the focused window of a hotkey, a Mission Control window, the
// menu bar over a full-screen window), for a tab, a minimised window's Dock tile and a Mission
// Control space, and the application switcher that the full-screen and menu-bar handlers hand
// over to.

#include "engine/resolution/resolution.h"
#include "engine/resolution/resolution_context.h"

namespace zoral::engine::resolution {

// The window-like origins split five ways: full screen, then the screen, secondary and tertiary
// roles, then the plain window.
Outcome resolveWindowLike(Context& context);

Outcome resolveForWindow(Context& context);
Outcome resolveForScreenModifier(Context& context);
Outcome resolveForSecondaryModifier(Context& context);
Outcome resolveForTertiaryModifier(Context& context);
Outcome resolveForFullscreenWindow(Context& context);
Outcome resolveAppSwitcher(Context& context);

Outcome resolveForTab(Context& context);
Outcome resolveForMinDockItem(Context& context);
Outcome resolveForSpace(Context& context);

}  // namespace zoral::engine::resolution
