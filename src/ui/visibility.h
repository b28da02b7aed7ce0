#pragma once

// Whether a view is shown: its widget is visible, in a window on screen, and none of its
// superviews is hidden. Work bound to a view's being shown starts when it comes on screen and
// ends when it leaves, also when the view goes while shown. Main thread only.

#include <functional>

#include "ui/view.h"

namespace zoral::ui {

// Runs the handler with true each time the view comes on screen (at once when it is shown
// already) and with false each time it leaves: hidden, its window or superview gone from screen,
// or the view itself destroyed while shown. The handler lives as long as the view.
void observeVisibility(View& view, std::function<void(bool shown)> handler);

}  // namespace zoral::ui
