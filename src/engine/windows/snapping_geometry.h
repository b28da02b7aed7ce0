#pragma once

// The arithmetic of placing a window on a span of a snapping grid laid over a screen's snap area:
// the gap between snapped windows, a span's size and origin, and the one-cell step of a swipe.
// Neighbouring spans share the gap exactly: the near edge of a span rounds outwards and the far
// edge inwards, so two halves of 1440 points with a gap of 1 are 720 and 719 wide.

#include "desktop/direction.h"
#include "desktop/system_appearance.h"
#include "engine/model/grid_span.h"
#include "engine/windows/grid_offset.h"
#include "platform/geometry.h"
#include "settings/snapping_center_action.h"

namespace zoral::engine {

// A namespace for the snapping enumerations, as the settings name them.
struct Snapping {
    Snapping() = delete;

    // What the centre action does; the settings store it, so the settings define it.
    using CenterAction = settings::SnappingCenterAction;
};

// The gap between snapped windows: 0 for none, 1 for minimal, otherwise the offset, one more in
// the dark appearance.
double gridGap(const GridOffset& offset, desktop::SystemAppearance appearance);
// The same in the system's current appearance.
double gridGap(const GridOffset& offset);

// The size of the span inside the area, with the given gap between neighbouring spans.
platform::CGSize spanSize(const platform::CGRect& area, const GridSpan& span, double gap);
// The same with the gap of the offset in the current appearance.
platform::CGSize spanSize(const platform::CGRect& area, const GridSpan& span,
                          const GridOffset& offset);

// Where a rectangle of the size goes in the area for the span: against the edge the span touches,
// centred otherwise; rounded half away from zero.
platform::CGPoint spanOrigin(const platform::CGSize& size, const platform::CGRect& area,
                             const GridSpan& span);

// One swipe step: a one-cell extent grows by a cell towards the swipe when there is room, a
// two-cell extent shrinks to the cell on the swipe's side; anything else, and the pinch
// directions, stay as they are.
GridSpan stepSpan(const GridSpan& span, desktop::Direction direction);

}  // namespace zoral::engine
