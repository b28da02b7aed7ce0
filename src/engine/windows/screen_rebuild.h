#pragma once

// Rebuilding the process's list of screens (desktop/screen.h) from the displays and the snapping
// settings: each display's cells, and the area that snapping fills on it, clear of the Dock and
// the Stage Manager strip and inset by the snapping offset.

#include "desktop/screen.h"
#include "engine/windows/grid_offset.h"
#include "platform/geometry.h"
#include "platform/screens.h"

namespace zoral::engine {

// The settings "gridOffset" and "gridOffsetEdges", folded.
GridOffset currentGridOffset();

// The display's snap area before it is split, in top-left coordinates: the visible frame, inset
// by the offset (towards the Dock by one point more in the dark appearance), less the Stage
// Manager strip. Prints the strip's position.
platform::CGRect stageManagerVisibleFrame(const platform::NSScreen& screen,
                                          const GridOffset& offset);

// Replaces the list with one screen per cell of each display, in display order, and prints how
// many there are.
void reinitializeScreens();

}  // namespace zoral::engine
