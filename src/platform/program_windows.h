#pragma once

// The program's own windows on the desktop (its tooltips and previews) as the window server knows
// them: each has a number, a level, a frame, an alpha, and is either ordered in (on screen) or
// out. The toolkit draws their pixels; the window server decides where they stand and whether the
// user sees them, so what the program shows can be asked of the desktop.
//
// Frames are in the bottom-left coordinates of the primary display, as the toolkit gives them.
// A number that no window has (or no longer has) is ignored.
//
// Only the declarations live here; the simulated desktop (sim/) defines them.

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/geometry.h"

namespace zoral::platform {

using WindowNumber = std::int64_t;

// The keys of the system's window levels, with the system's numbering.
enum class CGWindowLevelKey : std::int32_t {
    normalWindow = 4,
    floatingWindow = 5,
    assistiveTechHigh = 20,
};

// The level of the key: higher levels lie in front of lower ones.
std::int64_t windowLevelForKey(CGWindowLevelKey key);

struct ProgramWindowStyle {
    std::int64_t level = 0;
    // The pointer passes through the window to what lies below.
    bool ignoresMouseEvents = false;
    // Shown on every space, full-screen ones included.
    bool canJoinAllSpaces = false;
};

// A new window of the program, ordered out.
WindowNumber programWindowCreate(const ProgramWindowStyle& style, CGRect frame);
void programWindowSetFrame(WindowNumber window, CGRect frame);
// 0 (transparent) to 1 (opaque); values outside are clamped.
void programWindowSetAlpha(WindowNumber window, double alpha);
// In front of the other windows of its level.
void programWindowOrderFront(WindowNumber window);
void programWindowOrderOut(WindowNumber window);
void programWindowDestroy(WindowNumber window);

// What a window shows, as the toolkit paints it at alpha 1: premultiplied 32-bit ARGB pixels, row
// by row from the top. Empty when the window has nothing to paint.
struct ProgramWindowPixels {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> argb;
};

// How the window's pixels are painted when someone looks at the desktop; the window server calls
// it only while the window lives. An empty function forgets it.
void programWindowSetContent(WindowNumber window, std::function<ProgramWindowPixels()> content);

}  // namespace zoral::platform
