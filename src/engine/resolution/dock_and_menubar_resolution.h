#pragma once

// The handlers for origins that stand for an application (its Dock tile, or an item of the menu
// bar) or for the whole desktop (the menu bar itself).

#include "engine/resolution/resolution.h"
#include "engine/resolution/resolution_context.h"

namespace zoral::engine::resolution {

// Origins dockItem and menu.
Outcome resolveForDockItem(Context& context);
// Origin menubar.
Outcome resolveForMenubar(Context& context);

}  // namespace zoral::engine::resolution
