#include "desktop/key.h"

namespace zoral::desktop {

std::set<platform::CGKeyCode> keyCodes(Key key) {
    switch (key) {
        case Key::return_:
            return {keyCode(Key::return_), keyCode(Key::enter)};
        case Key::delete_:
            return {keyCode(Key::delete_), keyCode(Key::fwdDelete)};
        case Key::arrowUp:
            return {keyCode(Key::arrowUp), keyCode(Key::pageUp)};
        case Key::arrowDown:
            return {keyCode(Key::arrowDown), keyCode(Key::pageDown)};
        case Key::arrowLeft:
            return {keyCode(Key::arrowLeft), keyCode(Key::home)};
        case Key::arrowRight:
            return {keyCode(Key::arrowRight), keyCode(Key::end)};
        default:
            return {keyCode(key)};
    }
}

}  // namespace zoral::desktop
