#pragma once

// The keys the program presses and recognises, each with its virtual key code as raw value.

#include <array>
#include <cstdint>
#include <optional>
#include <ostream>
#include <set>

#include "desktop/enum_table.h"
#include "platform/events.h"

namespace zoral::desktop {

// return_ and delete_ carry an underscore, being keywords; their names stay "return" and
// "delete".
enum class Key : std::uint8_t {
    return_,
    enter,
    escape,
    tab,
    delete_,
    fwdDelete,
    command,
    shift,
    option,
    control,
    function,
    arrowUp,
    arrowDown,
    arrowLeft,
    arrowRight,
    home,
    end,
    pageUp,
    pageDown,
    letterA,
    letterE,
    letterD,
    letterH,
    letterI,
    letterJ,
    letterK,
    letterL,
    letterN,
    letterM,
    letterO,
    letterQ,
    letterS,
    letterW,
    letterX,
    letterComma,
};

template <>
struct EnumTable<Key> {
    using enum Key;
    using Code = platform::CGKeyCode;
    static constexpr std::array<RawCase<Key, Code>, 35> cases{{
        {return_, "return", 36},
        {enter, "enter", 76},
        {escape, "escape", 53},
        {tab, "tab", 48},
        {delete_, "delete", 51},
        {fwdDelete, "fwdDelete", 117},
        {command, "command", 55},
        {shift, "shift", 56},
        {option, "option", 58},
        {control, "control", 59},
        {function, "function", 63},
        {arrowUp, "arrowUp", 126},
        {arrowDown, "arrowDown", 125},
        {arrowLeft, "arrowLeft", 123},
        {arrowRight, "arrowRight", 124},
        {home, "home", 115},
        {end, "end", 119},
        {pageUp, "pageUp", 116},
        {pageDown, "pageDown", 121},
        {letterA, "letterA", 0},
        {letterE, "letterE", 14},
        {letterD, "letterD", 2},
        {letterH, "letterH", 4},
        {letterI, "letterI", 34},
        {letterJ, "letterJ", 38},
        {letterK, "letterK", 40},
        {letterL, "letterL", 37},
        {letterN, "letterN", 45},
        {letterM, "letterM", 46},
        {letterO, "letterO", 31},
        {letterQ, "letterQ", 12},
        {letterS, "letterS", 1},
        {letterW, "letterW", 13},
        {letterX, "letterX", 7},
        {letterComma, "letterComma", 43},
    }};
};

static_assert(tableFollowsDeclarationOrder<Key>());

// The key's virtual key code.
constexpr platform::CGKeyCode keyCode(Key key) {
    return rawValue(key);
}

// The one key with this code; none for a code that no key has (116 is pageUp, not arrowUp).
constexpr std::optional<Key> keyFromCode(platform::CGKeyCode code) {
    return fromRawValue<Key>(code);
}

// The codes that count as the key when keys are recognised: the arrows also take the page and
// home/end codes that the keyboard sends with Fn held, return takes enter and delete takes forward
// delete; every other key only its own code.
std::set<platform::CGKeyCode> keyCodes(Key key);

inline std::ostream& operator<<(std::ostream& stream, Key key) {
    return stream << caseName(key);
}

}  // namespace zoral::desktop
