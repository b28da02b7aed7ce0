#pragma once

// Keeps the registry of snapped windows in step with what the user does to them. Every snapped
// window is observed; frame changes made with a mouse button held are the user's, all others (the
// program's own writes among them) are ignored. A destroyed window leaves the registry; a window
// dragged out of its cell gets its size from before snapping back (or, with the secondary role
// held, just stops being snapped); a window resized by an edge drags its snapped neighbours' shared
// edges along (or stops being snapped); a window leaving full screen is snapped back into its cell.

#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "desktop/observer.h"
#include "desktop/window.h"
#include "engine/windows/grid_offset.h"
#include "platform/geometry.h"

namespace zoral::engine {

// How long the drag-resize state outlives the last resize notification, in seconds.
inline constexpr double resizerLifetime = 0.2;

// An observer of the window's moves, resizes and destruction for its snap record; none when the
// window's application is unknown or refuses an observer. It holds the window weakly. A window
// found gone already (its element invalid, or its process ended) gets none, and its record goes
// on the main queue's next turn.
std::shared_ptr<desktop::Observer> observeSnappedWindow(
    const std::shared_ptr<desktop::Window>& window);

// The state of one user resize: the window resized and the snapped frames of its neighbours (the
// snapped windows on the same screen that the window server shows), taken when the resize began.
// While it lives, every resize notification re-applies the edges from these frames, and moves by
// the user are ignored.
struct Resizer {
    std::shared_ptr<desktop::Window> window;
    std::vector<std::pair<std::shared_ptr<desktop::Window>, platform::CGRect>> frames;
    // From "gridOffset" alone: the gap is the same with or without the edges.
    GridOffset offset = GridOffset::minimal();
    // What was last written to each neighbour (by position in frames): the program's own writes
    // notify the neighbours' observers, which re-apply the same frames while the user's button
    // is down, and a frame just written need not be written again.
    std::vector<std::optional<platform::CGRect>> written;

    // Logs "Resizer: Initialized from <window>".
    static Resizer make(const std::shared_ptr<desktop::Window>& window);
};

// Moves each neighbour's edge that lies on a moved edge of the resized window (aligned with it, or
// facing it across the gap) by the same amount, from the frames of the snap.
void resizeAdjacentWindows(Resizer& resizer);

// After the user dragged a snapped window: gives it its size from before snapping, at its cell's
// edge when that size would stick out of the screen's snap area, and forgets its snap. A window
// that cannot be resized, or is not snapped, is only forgotten.
void unsnapAfterDrag(const std::shared_ptr<desktop::Window>& window);

}  // namespace zoral::engine
