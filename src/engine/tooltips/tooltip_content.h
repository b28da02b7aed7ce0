#pragma once

// What a tooltip window shows for an action, from the action's tooltip style: nothing, the whole
// window in the tooltip colour, the snap span as a block in the proportions of its grid, or the
// action's symbol in the tooltip colour filling the window. Pure: the windows keep and paint the
// layers made here.

#include "engine/model/action.h"
#include "engine/model/grid_span.h"
#include "engine/model/tooltip_style.h"
#include "platform/geometry.h"
#include "platform/system_colors.h"
#include "ui/appearance.h"
#include "ui/layer.h"

namespace zoral::engine {

// The names of the program's tooltip colours.
namespace tooltipColorName {
inline constexpr const char* close = "Close";
inline constexpr const char* minimize = "Minimize";
inline constexpr const char* fullscreen = "Fullscreen";
inline constexpr const char* inactive = "Inactive";
}  // namespace tooltipColorName

// The colour a tooltip is drawn in: "Inactive" (the system grey without it) when not enabled;
// otherwise the system's accent colour (its blue on systems without one) or the named colour of
// the style's kind (white without it), in the appearance.
platform::RGBColor tooltipColour(const TooltipStyle& style, bool isEnabled,
                                 ui::AppearanceName appearance);

// The span as a block of a window of the size: touching the window's sides where the span touches
// the grid's, centred on an axis where it touches neither side, with rounded corners only where
// neither of a corner's sides lies on the window's edge. The almost-maximised grid (20 x 20)
// fills the window.
ui::Layer spanLayer(const GridSpan& span, platform::CGSize windowSize, platform::RGBColor colour);

// The content layer of a window of the size for the action.
ui::Layer contentLayer(const Action& action, bool isEnabled, platform::CGSize windowSize,
                       ui::AppearanceName appearance);

}  // namespace zoral::engine
