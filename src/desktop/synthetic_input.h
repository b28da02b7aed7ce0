#pragma once

// Synthetic keyboard and mouse input: key combinations pressed and released, and left-button
// drags. Every event gets its modifier flags by one rule (applyModifierFlags), and every posting
// routine sleeps on the calling thread after each event, so that the receiving application sees
// the events apart: 0.01 s after each key event and after a drag's press and release, the caller's
// step delay after each drag step.

#include <cstdint>
#include <optional>
#include <span>

#include "desktop/key.h"
#include "desktop/press_state.h"
#include "platform/accessibility.h"
#include "platform/events.h"
#include "platform/geometry.h"

namespace zoral::desktop {

// The modifier keys the program sets or clears on its events: shift, control, option, command and
// the secondary function flag.
inline constexpr platform::CGEventFlags ownedModifierFlags =
    platform::CGEventFlags::maskShift | platform::CGEventFlags::maskControl |
    platform::CGEventFlags::maskAlternate | platform::CGEventFlags::maskCommand |
    platform::CGEventFlags::maskSecondaryFn;

// The pause after each posted key event and after a drag's press and release.
inline constexpr double syntheticEventDelay = 0.01;

// A drag takes one step per point of its longer axis, but no more than this.
inline constexpr std::int64_t maxDragSteps = 10'000;

// On a freshly created event: clears the modifier keys the user may hold, adds the given flags and
// the non-coalesced flag. Other bits the event carries (caps lock, numeric pad, help) stay.
void applyModifierFlags(platform::CGEvent& event, platform::CGEventFlags flags);

// With down among the states: a key-down event for each code in order; then, with up among them,
// a key-up event for each code in reverse order. The events go to the process when one is given,
// else to the hardware event stream. No other state posts anything.
void postKeys(std::span<const platform::CGKeyCode> codes, std::span<const PressState> states,
              platform::CGEventFlags flags = {},
              std::optional<platform::ProcessId> pid = std::nullopt);

// postKeys with the keys' codes.
void postKeyCombination(std::span<const Key> keys, std::span<const PressState> states,
                        platform::CGEventFlags flags = {},
                        std::optional<platform::ProcessId> pid = std::nullopt);

// A left-button press at the start, drag events from the start to start + delta in one-point steps
// along the longer axis (both ends included, so a drag by (30, -10) has 31), and the release at
// start + delta. A drag shorter than a point has one step, at the start. Nothing is posted when
// the start or the delta is not finite.
void postMouseDrag(platform::CGPoint start, platform::CGPoint delta, double stepDelay);

}  // namespace zoral::desktop
