#pragma once

// What the simulated system and applications do with key combinations, as the system's do:
// Command-H hides the application and Option-Command-H every other one, Command-W closes its main
// window, Command-N opens a new window in front; Command with Tab (Shift-Tab backwards) walks the
// application switcher, a shortcut of the system that no application sees, which activates its
// selection when Command is released.
// Keys reach the front application, or the process they were posted to.

namespace zoral::sim {

class InputPipeline;

void registerKeyboardEffects(InputPipeline& pipeline);

}  // namespace zoral::sim
