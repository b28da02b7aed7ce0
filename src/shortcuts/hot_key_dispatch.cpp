#include "shortcuts/hot_key_dispatch.h"

#include <utility>

#include "shortcuts/shortcut_state.h"

namespace zoral::shortcuts::GlobalShortcuts {

void hotKeyPressed(const Shortcut& shortcut) {
    dispatchHotKeyEvent(shortcut, detail::state().keyDownHandlers,
                        detail::state().keyDownContinuations);
}

void hotKeyReleased(const Shortcut& shortcut) {
    dispatchHotKeyEvent(shortcut, detail::state().keyUpHandlers,
                        detail::state().keyUpContinuations);
}

void dispatchHotKeyEvent(const Shortcut& shortcut, HandlerTable handlers,
                         ContinuationTable continuations) {
    if (recordingPause())
        return;
    for (const auto& [name, list] : handlers) {
        if (storedShortcut(name) != shortcut)
            continue;
        for (const Handler& handler : list)
            handler();
    }
    for (const auto& [name, deliveries] : continuations) {
        if (storedShortcut(name) != shortcut)
            continue;
        for (const auto& [id, delivery] : deliveries)
            delivery();
    }
}

}  // namespace zoral::shortcuts::GlobalShortcuts
