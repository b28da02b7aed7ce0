#include "ui/event.h"

namespace zoral::ui {

namespace {

bool isSpecial(char16_t c) {
    switch (c) {
        case 0x03:
        case 0x08:
        case 0x09:
        case 0x0A:
        case 0x0D:
        case 0x19:
        case 0x7F:
            return true;
        default:
            return c >= 0xF700 && c <= 0xF8FF;
    }
}

std::optional<SpecialKey> specialKeyOf(platform::NSEventType type,
                                       const std::u16string& charactersIgnoringModifiers) {
    if (type != platform::NSEventType::keyDown && type != platform::NSEventType::keyUp)
        return std::nullopt;
    if (charactersIgnoringModifiers.size() != 1 || !isSpecial(charactersIgnoringModifiers[0]))
        return std::nullopt;
    return static_cast<SpecialKey>(charactersIgnoringModifiers[0]);
}

}  // namespace

std::optional<SpecialKey> Event::specialKey() const {
    return specialKeyOf(type, charactersIgnoringModifiers);
}

std::optional<SpecialKey> specialKey(const platform::NSEvent& event) {
    return specialKeyOf(event.type, event.charactersIgnoringModifiers);
}

platform::NSEvent Event::nsEvent(std::optional<platform::WindowNumber> window) const {
    return {.type = type,
            .modifierFlags = modifierFlags,
            .keyCode = keyCode,
            .characters = characters,
            .charactersIgnoringModifiers = charactersIgnoringModifiers,
            .isARepeat = isARepeat,
            .locationInWindow = locationInWindow,
            .clickCount = clickCount,
            .buttonNumber = buttonNumber,
            .window = window,
            .timestamp = timestamp};
}

bool isFunctionKey(SpecialKey key) {
    const auto raw = static_cast<std::uint16_t>(key);
    return raw >= static_cast<std::uint16_t>(SpecialKey::f1) &&
           raw <= static_cast<std::uint16_t>(SpecialKey::f35);
}

platform::CGEvent Event::cgEvent() const {
    platform::CGEvent event;
    event.type = static_cast<platform::CGEventType>(type);
    event.keyCode = keyCode;
    event.flags = modifierFlags;
    event.timestamp = timestamp;
    event.autorepeat = isARepeat;
    switch (type) {
        case platform::NSEventType::rightMouseDown:
        case platform::NSEventType::rightMouseUp:
            event.mouseButton = platform::CGMouseButton::right;
            break;
        case platform::NSEventType::otherMouseDown:
        case platform::NSEventType::otherMouseUp:
            event.mouseButton = platform::CGMouseButton::center;
            break;
        default:
            break;
    }
    return event;
}

}  // namespace zoral::ui
