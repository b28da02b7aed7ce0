#pragma once

// Snapping: moving and resizing other applications' windows onto a span of a screen's grid, and
// taking them back. Every window snapped is recorded (snapped_windows.h) with an observer of the
// user's drags (snapped_window_observer.h), so that its frame from before the first snap can be
// restored, and the span re-applied when the screens change.
//
// Frame writes go size, position, size, with the application's enhanced interface off around them;
// their result codes are ignored, and reads that fail give zero. Main thread only.

#include <memory>

#include "desktop/screen.h"
#include "desktop/window.h"
#include "engine/model/grid_span.h"
#include "platform/geometry.h"

namespace zoral::engine {

// How far below a snapped window's top edge the pointer goes when it follows the window: half the
// height the origin code gives a title bar.
inline constexpr double cursorBelowTopEdge = 26;

// What a snap or a centring does besides the frame: with activate, the window's application comes
// in front and the window becomes main; with moveCursor, the pointer follows the window.
struct SnapOptions {
    bool moveCursor = false;
    bool activate = false;
};

// A centring's options: a snap's, and with restore, the size from before snapping.
struct CenterOptions {
    bool moveCursor = false;
    bool activate = false;
    bool restore = false;
};

// The frame a snap would give the window, touching nothing: the span's size (the window's own when
// it cannot be resized) aligned to the span.
platform::CGRect snapTargetFrame(const desktop::Window& window, const GridSpan& span,
                                 const desktop::Screen& screen);

// Places the window on the span of the screen's grid with the current grid offset and records it
// (keeping the first frame before snap). A window whose size cannot be set keeps its size and only
// moves; one that refuses the exact size is aligned with the size it took.
// A window whose frame cannot be read is left alone, and one whose frame cannot be read back after
// the writes is not recorded: there would be nothing to restore.
void snap(const std::shared_ptr<desktop::Window>& window, const GridSpan& span,
          const desktop::Screen& screen, SnapOptions options = {});

// Centres the window on the screen's snap area and forgets its snap: at its size from before
// snapping when `options.restore` and it was snapped (and that size is not empty), else at its
// current size. A window whose size cannot be read, or reads empty, is left where it is (logged).
void center(const std::shared_ptr<desktop::Window>& window, const desktop::Screen& screen,
            CenterOptions options = {});

// Restores the frame from before snapping and forgets the snap. When half or less of that frame
// would lie on the window's current screen, the window is centred there at that size instead. An
// empty frame is never restored: the window stays as it is.
void unsnap(const std::shared_ptr<desktop::Window>& window);

// Unsnaps every snapped window, in the registry's order.
void unsnapAllWindows();
// Snaps every snapped window again onto its span, on the grid of the screen it is on now and
// with the current grid offset; the frames from before snapping stay. A window whose frame cannot
// be read keeps its record untouched.
void resnapAllWindows();

}  // namespace zoral::engine
