#pragma once

// Anything the tooltip controller shows for an action: one tooltip window, or a group of them
// arranged around the pointer.

#include "engine/model/action.h"
#include "platform/geometry.h"

namespace zoral::engine {

class TooltipContainer {
public:
    virtual ~TooltipContainer() = default;

    // Places the container around the point (bottom-left coordinates), on the screen that holds it.
    virtual void moveTo(platform::CGPoint point) = 0;
    // Brings the container's windows on screen, fully opaque.
    virtual void show() = 0;
    // Animates the windows to transparent over the duration in seconds, then takes them off screen.
    virtual void fade(double duration) = 0;
    // Takes the windows off screen at once.
    virtual void close() = 0;
    // Replaces the content by the drawing for the action: in the action's colour when state is
    // true, in the inactive colour when it is false.
    virtual void drawAction(const Action& action, bool state) = 0;
    // Replaces the content by an empty layer.
    virtual void clearContent() = 0;
};

}  // namespace zoral::engine
