#include "engine/actions/app_switcher.h"

#include <array>

#include "desktop/key.h"
#include "desktop/press_state.h"
#include "desktop/synthetic_input.h"
#include "platform/events.h"
#include "platform/process_state.h"

namespace zoral::engine {

namespace {

using desktop::Key;
using desktop::PressState;
using platform::CGEventFlags;

// Main thread only, like every synthetic key of the program.
struct CommandHeld {
    bool held = false;
};

bool& commandHeld() {
    return platform::processPart<CommandHeld>().held;
}

void postCommand(PressState state) {
    constexpr std::array keys{Key::command};
    const std::array states{state};
    desktop::postKeyCombination(keys, states);
    if (state == PressState::up)
        commandHeld() = false;
}

void postTab(CGEventFlags flags) {
    constexpr std::array keys{Key::tab};
    constexpr std::array states{PressState::down, PressState::up};
    desktop::postKeyCombination(keys, states, flags);
}

}  // namespace

void postCmdTab(desktop::Direction direction) {
    postCommand(PressState::down);
    postTab(direction == desktop::Direction::left
                ? CGEventFlags::maskCommand | CGEventFlags::maskShift
                : CGEventFlags::maskCommand);
    postCommand(PressState::up);
}

void invokeAppSwitcher() {
    postCommand(PressState::down);
    commandHeld() = true;
    postTab(CGEventFlags::maskCommand);
    // A scroll of no distance keeps the switcher's panel up while Command stays down.
    if (const auto scroll =
            platform::eventCreateScrollWheelEvent(platform::CGScrollEventUnit::pixel, 0, 0)) {
        platform::eventPost(platform::CGEventTapLocation::hid, *scroll);
    }
}

void exitAppSwitcher() {
    postCommand(PressState::up);
}

bool isAppSwitcherCommandHeld() {
    return commandHeld();
}

void releaseHeldAppSwitcherCommand() {
    if (commandHeld())
        postCommand(PressState::up);
}

}  // namespace zoral::engine
