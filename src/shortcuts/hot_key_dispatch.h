#pragma once

// A pressed or released hot key, handed to the names that store its combination: first their
// handlers, then their event streams' deliveries. Names are matched by what they store at the
// moment, not by the name a hot key was registered for, so one hot key serves every name that
// stores its combination.

#include "shortcuts/global_shortcuts.h"
#include "shortcuts/shortcut.h"

namespace zoral::shortcuts::GlobalShortcuts {

// The key-down and key-up callbacks of every registration the package makes.
void hotKeyPressed(const Shortcut& shortcut);
void hotKeyReleased(const Shortcut& shortcut);

// Nothing while recording is paused. Otherwise every handler of each name whose stored shortcut
// is the fired one, in the order attached, then every delivery of each such name in the
// continuation table. The tables are taken as they are when the dispatch starts: what a handler
// attaches takes part from the next event on.
void dispatchHotKeyEvent(const Shortcut& shortcut, HandlerTable handlers,
                         ContinuationTable continuations);

}  // namespace zoral::shortcuts::GlobalShortcuts
