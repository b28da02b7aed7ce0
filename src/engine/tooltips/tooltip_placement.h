#pragma once

// Where a tooltip stands: centred on the pointer, pushed inwards just far enough to stay on the
// display that holds the pointer (its full frame, menu bar and Dock included), or on the main
// display when none holds it. A tooltip larger than the display keeps its left and bottom edges on
// the display's. Bottom-left coordinates throughout.

#include <optional>

#include "desktop/direction.h"
#include "platform/geometry.h"

namespace zoral::engine {

// The centre of a box of the size placed around the point.
platform::CGPoint tooltipCentre(platform::CGPoint point, platform::CGSize size);

// The origin of a group's window of the size, for the direction it stands in, inside a box of the
// total size around the centre: up at the top middle, left at the left middle, right at the right
// middle, down at the bottom middle. None for the pinch directions.
std::optional<platform::CGPoint> groupWindowOrigin(desktop::Direction direction,
                                                   platform::CGPoint centre,
                                                   platform::CGSize totalSize,
                                                   platform::CGSize size);

}  // namespace zoral::engine
