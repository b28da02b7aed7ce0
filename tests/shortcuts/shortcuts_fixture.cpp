#include "shortcuts/shortcuts_fixture.h"

#include "platform/events.h"

namespace zoral::shortcuts::testing {

namespace {

platform::CGEvent keyEvent(const Shortcut& shortcut, bool down) {
    platform::CGEvent event;
    event.type = down ? platform::CGEventType::keyDown : platform::CGEventType::keyUp;
    event.keyCode = static_cast<platform::CGKeyCode>(shortcut.carbonKeyCode);
    event.flags = platform::CGEventFlags(shortcut.modifiers().rawValue());
    return event;
}

}  // namespace

void ShortcutsTest::press(const Shortcut& shortcut) {
    hotKeys().offerKeyEvent(keyEvent(shortcut, true));
    scheduler().runUntilIdle();
}

void ShortcutsTest::release(const Shortcut& shortcut) {
    hotKeys().offerKeyEvent(keyEvent(shortcut, false));
    scheduler().runUntilIdle();
}

}  // namespace zoral::shortcuts::testing
