#pragma once

// The screen list and the primary display's height as the main thread sees them at one moment,
// for work that judges windows by their screen on another thread: meanwhile the main thread may
// rebuild the list, and the displays are its alone to ask.

#include <optional>
#include <vector>

#include "desktop/screen.h"
#include "platform/geometry.h"

namespace zoral::engine {

struct ScreenSnapshot {
    std::vector<desktop::Screen> screens;
    double primaryHeight = 0;

    // Main thread.
    static ScreenSnapshot current();

    // The screen a window with this frame (top-left coordinates) belongs to, by the rule of
    // Window::screen among these screens; none when there are none.
    std::optional<desktop::Screen> screenOfFrame(const platform::CGRect& frame) const;
};

}  // namespace zoral::engine
