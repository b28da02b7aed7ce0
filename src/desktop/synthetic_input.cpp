#include "desktop/synthetic_input.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "desktop/saturating_cast.h"
#include "platform/scheduler.h"

namespace zoral::desktop {

namespace {

using platform::CGEvent;
using platform::CGEventFlags;
using platform::CGEventTapLocation;
using platform::CGEventType;
using platform::CGMouseButton;
using platform::CGPoint;

bool contains(std::span<const PressState> states, PressState state) {
    return std::find(states.begin(), states.end(), state) != states.end();
}

void postKey(platform::CGKeyCode code, bool keyDown, CGEventFlags flags,
             std::optional<platform::ProcessId> pid) {
    std::optional<CGEvent> event = platform::eventCreateKeyboardEvent(code, keyDown);
    if (!event)
        return;
    applyModifierFlags(*event, flags);
    if (pid) {
        platform::eventPostToPid(*pid, *event);
    } else {
        platform::eventPost(CGEventTapLocation::hid, *event);
    }
    platform::sleepFor(syntheticEventDelay);
}

// Posts a left-button event to the hardware stream and pauses.
void postLeftMouse(CGEventType type, CGPoint location, double delay) {
    std::optional<CGEvent> event =
        platform::eventCreateMouseEvent(type, location, CGMouseButton::left);
    if (!event)
        return;
    applyModifierFlags(*event, {});
    platform::eventPost(CGEventTapLocation::hid, *event);
    platform::sleepFor(delay);
}

bool isFinite(CGPoint point) {
    return std::isfinite(point.x) && std::isfinite(point.y);
}

}  // namespace

void applyModifierFlags(CGEvent& event, CGEventFlags flags) {
    event.flags = (event.flags & ~ownedModifierFlags) | flags | CGEventFlags::maskNonCoalesced;
}

void postKeys(std::span<const platform::CGKeyCode> codes, std::span<const PressState> states,
              CGEventFlags flags, std::optional<platform::ProcessId> pid) {
    if (contains(states, PressState::down)) {
        for (const platform::CGKeyCode code : codes)
            postKey(code, true, flags, pid);
    }
    if (contains(states, PressState::up)) {
        for (auto code = codes.rbegin(); code != codes.rend(); ++code)
            postKey(*code, false, flags, pid);
    }
}

void postKeyCombination(std::span<const Key> keys, std::span<const PressState> states,
                        CGEventFlags flags, std::optional<platform::ProcessId> pid) {
    std::vector<platform::CGKeyCode> codes;
    codes.reserve(keys.size());
    for (const Key key : keys)
        codes.push_back(keyCode(key));
    postKeys(codes, states, flags, pid);
}

void postMouseDrag(CGPoint start, CGPoint delta, double stepDelay) {
    if (!isFinite(start) || !isFinite(delta))
        return;
    if (!std::isfinite(stepDelay) || stepDelay < 0)
        stepDelay = 0;
    const std::int64_t steps = std::min(std::max(saturatingCast<std::int64_t>(std::fabs(delta.x)),
                                                 saturatingCast<std::int64_t>(std::fabs(delta.y))),
                                        maxDragSteps);
    const CGPoint end{start.x + delta.x, start.y + delta.y};

    postLeftMouse(CGEventType::leftMouseDown, start, syntheticEventDelay);
    for (std::int64_t i = 0; i <= steps; ++i) {
        // With no whole step the one drag event stays at the start rather than dividing by 0.
        const double fraction =
            steps == 0 ? 0.0 : static_cast<double>(i) / static_cast<double>(steps);
        postLeftMouse(CGEventType::leftMouseDragged,
                      {start.x + fraction * delta.x, start.y + fraction * delta.y}, stepDelay);
    }
    postLeftMouse(CGEventType::leftMouseUp, end, syntheticEventDelay);
}

}  // namespace zoral::desktop
