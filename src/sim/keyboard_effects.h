#pragma once

// What the simulated applications do with the key combinations the program
// posts, as the system's applications do: Command-H hides the application,
// Command-W closes its main window, Command-N opens a new window in front, and
// Command with Tab (Shift-Tab backwards) walks the application switcher, which
// activates its selection when Command is released. Events posted to one
// process go to it; events in the common stream go to the active application.

namespace zoral::sim {

class World;

// Registers the effects with the world's input devices (once per world).
void installKeyboardEffects(World& world);

}  // namespace zoral::sim
