#include "desktop/event_descriptions.h"

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace zoral::desktop {

namespace {

struct NamedBits {
    std::uint64_t bits;
    std::string_view name;
};

template <class Type>
struct NamedType {
    Type type;
    std::string_view name;
};

using platform::CGEventFlags;
using settings::ModifierFlags;

constexpr std::array<NamedBits, 9> eventFlagNames{{
    {CGEventFlags::maskShift.rawValue(), "shift"},
    {CGEventFlags::maskSecondaryFn.rawValue(), "fn"},
    {CGEventFlags::maskControl.rawValue(), "ctrl"},
    {CGEventFlags::maskAlternate.rawValue(), "alt"},
    {CGEventFlags::maskCommand.rawValue(), "cmd"},
    {CGEventFlags::maskAlphaShift.rawValue(), "a-shift"},
    {CGEventFlags::maskNumericPad.rawValue(), "num"},
    {CGEventFlags::maskHelp.rawValue(), "help"},
    {CGEventFlags::maskNonCoalesced.rawValue(), "non-c"},
}};

constexpr std::array<NamedBits, 9> modifierFlagNames{{
    {ModifierFlags::capsLock.rawValue(), "caps"},
    {ModifierFlags::command.rawValue(), "cmd"},
    {ModifierFlags::control.rawValue(), "ctrl"},
    {ModifierFlags::deviceIndependentFlagsMask.rawValue(), "device"},
    {ModifierFlags::function.rawValue(), "fn"},
    {ModifierFlags::help.rawValue(), "help"},
    {ModifierFlags::numericPad.rawValue(), "num"},
    {ModifierFlags::option.rawValue(), "alt"},
    {ModifierFlags::shift.rawValue(), "shift"},
}};

constexpr std::array<NamedBits, 6> phaseNames{{
    {0x1, "began"},
    {0x2, "stationary"},
    {0x4, "changed"},
    {0x8, "ended"},
    {0x10, "cancelled"},
    {0x20, "mayBegin"},
}};

using platform::CGEventType;
using platform::NSEventType;

constexpr std::array<NamedType<CGEventType>, 19> eventTypeNames{{
    {CGEventType::null, "null"},
    {CGEventType::leftMouseDown, "leftMouseDown"},
    {CGEventType::leftMouseUp, "leftMouseUp"},
    {CGEventType::rightMouseDown, "rightMouseDown"},
    {CGEventType::rightMouseUp, "rightMouseUp"},
    {CGEventType::mouseMoved, "mouseMoved"},
    {CGEventType::leftMouseDragged, "leftMouseDragged"},
    {CGEventType::rightMouseDragged, "rightMouseDragged"},
    {CGEventType::keyDown, "keyDown"},
    {CGEventType::keyUp, "keyUp"},
    {CGEventType::flagsChanged, "flagsChanged"},
    {CGEventType::scrollWheel, "scrollWheel"},
    {CGEventType::tabletPointer, "tabletPointer"},
    {CGEventType::tabletProximity, "tabletProximity"},
    {CGEventType::otherMouseDown, "otherMouseDown"},
    {CGEventType::otherMouseUp, "otherMouseUp"},
    {CGEventType::otherMouseDragged, "otherMouseDragged"},
    {CGEventType::tapDisabledByTimeout, "tapDisabledByTimeout"},
    {CGEventType::tapDisabledByUserInput, "tapDisabledByUserInput"},
}};

constexpr std::array<NamedType<NSEventType>, 34> toolkitEventTypeNames{{
    {NSEventType::leftMouseDown, "leftMouseDown"},
    {NSEventType::leftMouseUp, "leftMouseUp"},
    {NSEventType::rightMouseDown, "rightMouseDown"},
    {NSEventType::rightMouseUp, "rightMouseUp"},
    {NSEventType::mouseMoved, "mouseMoved"},
    {NSEventType::leftMouseDragged, "leftMouseDragged"},
    {NSEventType::rightMouseDragged, "rightMouseDragged"},
    {NSEventType::mouseEntered, "mouseEntered"},
    {NSEventType::mouseExited, "mouseExited"},
    {NSEventType::keyDown, "keyDown"},
    {NSEventType::keyUp, "keyUp"},
    {NSEventType::flagsChanged, "flagsChanged"},
    {NSEventType::appKitDefined, "appKitDefined"},
    {NSEventType::systemDefined, "systemDefined"},
    {NSEventType::applicationDefined, "applicationDefined"},
    {NSEventType::periodic, "periodic"},
    {NSEventType::cursorUpdate, "cursorUpdate"},
    {NSEventType::rotate, "rotate"},
    {NSEventType::beginGesture, "beginGesture"},
    {NSEventType::endGesture, "endGesture"},
    {NSEventType::scrollWheel, "scrollWheel"},
    {NSEventType::tabletPoint, "tabletPoint"},
    {NSEventType::tabletProximity, "tabletProximity"},
    {NSEventType::otherMouseDown, "otherMouseDown"},
    {NSEventType::otherMouseUp, "otherMouseUp"},
    {NSEventType::otherMouseDragged, "otherMouseDragged"},
    {NSEventType::gesture, "gesture"},
    {NSEventType::magnify, "magnify"},
    {NSEventType::swipe, "swipe"},
    {NSEventType::smartMagnify, "smartMagnify"},
    {NSEventType::quickLook, "quickLook"},
    {NSEventType::pressure, "pressure"},
    {NSEventType::directTouch, "directTouch"},
    {NSEventType::changeMode, "changeMode"},
}};

// "Prefix(raw)" and the names of the members whose bits are all set, as ["a", "b"].
std::string describeBits(std::string_view prefix, std::uint64_t raw,
                         std::span<const NamedBits> names) {
    std::string text(prefix);
    text += '(';
    text += std::to_string(raw);
    text += ")[";
    bool first = true;
    for (const NamedBits& member : names) {
        if ((raw & member.bits) != member.bits)
            continue;
        if (!first)
            text += ", ";
        first = false;
        text += '"';
        text += member.name;
        text += '"';
    }
    text += ']';
    return text;
}

template <class Type, std::size_t count>
std::string describeType(Type type, const std::array<NamedType<Type>, count>& names) {
    for (const auto& named : names) {
        if (named.type == type)
            return std::string(named.name);
    }
    return "@unknown(" + std::to_string(static_cast<std::uint32_t>(type)) + ")";
}

}  // namespace

std::string description(platform::CGEventFlags flags) {
    return describeBits("CGEventFlags", flags.rawValue(), eventFlagNames);
}

std::string description(settings::ModifierFlags flags) {
    return describeBits("NSEventFlags", flags.rawValue(), modifierFlagNames);
}

std::string description(platform::NSEventPhase phase) {
    return describeBits("NSEventPhase", static_cast<std::uint64_t>(phase), phaseNames);
}

std::string description(CGEventType type) {
    return describeType(type, eventTypeNames);
}

std::string description(NSEventType type) {
    return describeType(type, toolkitEventTypeNames);
}

}  // namespace zoral::desktop
