#pragma once

// Keyboard layouts as the text-input system offers them: the user's current ASCII-capable layout,
// its key-layout data, and the translation of a virtual key code into the text it types under
// that layout.
//
// Only the declarations live here; the simulated desktop (sim/) defines them.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "platform/hot_keys.h"

namespace zoral::platform::tis {

// A keyboard layout's translation table, as the layout's data hands it out; its contents are the
// text-input system's own.
class KeyboardLayoutData;

// One input source (a keyboard layout).
struct InputSource {
    std::string identifier;
    std::string localizedName;
    std::shared_ptr<const KeyboardLayoutData> unicodeKeyLayoutData;
};

using InputSourceRef = std::shared_ptr<const InputSource>;

// The layout the user types with, or the nearest ASCII-capable one; none when the system has
// none.
InputSourceRef copyCurrentASCIICapableKeyboardLayoutInputSource();

// The layout's translation table; none when the source has no such data.
std::shared_ptr<const KeyboardLayoutData> getUnicodeKeyLayoutData(const InputSourceRef& source);

// The type of the keyboard attached (it selects a layout's variant for that hardware).
std::uint8_t getKeyboardType();

// Key actions and options of a translation.
inline constexpr std::uint16_t kUCKeyActionDown = 0;
inline constexpr std::uint16_t kUCKeyActionUp = 1;
inline constexpr std::uint16_t kUCKeyActionAutoKey = 2;
inline constexpr std::uint16_t kUCKeyActionDisplay = 3;

// The text the key types under the layout, for the action, with the modifier state (the event
// manager's modifier mask shifted right by 8, so shift is 0x02 and caps lock 0x04), as UTF-16
// units written into the buffer; a key up types nothing. The dead-key state carries a pending
// accent from one call to the next (the simulated layouts type their accents at once and leave it
// at 0). paramErr for no layout, no dead-key state or an unknown action; kUCOutputBufferTooSmall
// when the text does not fit. The actual length is written on success.
inline constexpr OSStatus kUCOutputBufferTooSmall = -25340;
OSStatus ucKeyTranslate(const KeyboardLayoutData* layout, std::uint16_t virtualKeyCode,
                        std::uint16_t keyAction, std::uint32_t modifierKeyState,
                        std::uint32_t keyboardType, std::uint32_t keyTranslateOptions,
                        std::uint32_t* deadKeyState, std::span<char16_t> buffer,
                        std::size_t* actualStringLength);

}  // namespace zoral::platform::tis
