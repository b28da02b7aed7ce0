#pragma once

// Work bound to a view: an action run for each press or release of a name's shortcut while the
// view is shown. The name's event stream starts when the view comes on screen and ends when it
// leaves (hidden, its window gone, or the view destroyed); the action runs on the main queue, in
// the order of the events, and never after the view has left. Nothing arrives while a recorder
// records: the hot keys pause before the streams are fed. Main thread only.

#include <functional>

#include "shortcuts/event_type.h"
#include "shortcuts/name.h"
#include "ui/view.h"

namespace zoral::shortcuts::GlobalShortcuts {

// Each key down and key up, with its type.
void onKeyboardShortcut(ui::View& view, const Name& name,
                        std::function<void(EventType type)> perform);
// Each event of the one type: once per press, or once per release.
void onKeyboardShortcut(ui::View& view, const Name& name, EventType type,
                        std::function<void()> perform);

}  // namespace zoral::shortcuts::GlobalShortcuts
