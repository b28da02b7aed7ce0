#pragma once

// The layer between the shortcut package and the system: shortcuts registered as system-wide hot
// keys, under the signature "TQKV" and identifiers counted from 1 (a refused registration uses up
// its identifier too), and the one event handler that receives their presses and releases.
// Everything here runs on the main thread.

#include <cstdint>
#include <functional>
#include <optional>

#include "platform/hot_keys.h"
#include "shortcuts/shortcut.h"

namespace zoral::shortcuts::CarbonGlobalShortcuts {

inline constexpr platform::FourCharCode signature = platform::fourCharCode("TQKV");

using Callback = std::function<void(const GlobalShortcuts::Shortcut&)>;

// Asks the system for a hot key of the combination; the callbacks run on its press and release.
// A refusal is silent. A key code or mask outside 0 to 4294967295 cannot be handed to the system:
// it is refused before anything is asked, with a line saying so, and uses up no identifier. The
// event handler is installed after the first accepted registration (tried again after the next
// one when installing fails).
void registerHotKey(const GlobalShortcuts::Shortcut& shortcut, Callback onKeyDown,
                    Callback onKeyUp);
// Releases every hot key of the combination, whichever name it was made for; none is no error.
void unregisterHotKey(const GlobalShortcuts::Shortcut& shortcut);

// The handler the system calls with hot-key events. Answers eventNotHandledErr for no event, for
// another signature (another part of the program's hot keys), for an identifier without a hot
// key and for other kinds; the status of reading the identifier when that fails; otherwise noErr
// once the hot key's callback has run.
platform::OSStatus handleCarbonEvent(platform::carbon::EventHandlerCallRef nextHandler,
                                     platform::carbon::EventRef event, void* userData);

// The last identifier handed out (0 before the first).
std::int64_t hotKeyIdCounter();
// The installed event handler, once there is one.
std::optional<platform::carbon::EventHandlerRef> hotKeyEventHandler();

}  // namespace zoral::shortcuts::CarbonGlobalShortcuts
