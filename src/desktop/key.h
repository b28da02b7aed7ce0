#pragma once

// The keys the program presses and recognises, each with its virtual key code as raw value.

#include <array>
#include <cstdint>
#include <optional>
#include <ostream>
#include <set>

#include "platform/enum_table.h"
#include "platform/events.h"
#include "platform/key_codes.h"

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

}  // namespace zoral::desktop

namespace zoral::platform {

template <>
struct EnumTable<desktop::Key> {
    using enum desktop::Key;
    using Code = platform::CGKeyCode;
    static constexpr std::array<RawCase<desktop::Key, Code>, 35> cases{{
        {return_, "return", platform::virtualKey::return_},
        {enter, "enter", platform::virtualKey::keypadEnter},
        {escape, "escape", platform::virtualKey::escape},
        {tab, "tab", platform::virtualKey::tab},
        {delete_, "delete", platform::virtualKey::delete_},
        {fwdDelete, "fwdDelete", platform::virtualKey::forwardDelete},
        {command, "command", platform::virtualKey::command},
        {shift, "shift", platform::virtualKey::shift},
        {option, "option", platform::virtualKey::option},
        {control, "control", platform::virtualKey::control},
        {function, "function", platform::virtualKey::function},
        {arrowUp, "arrowUp", platform::virtualKey::upArrow},
        {arrowDown, "arrowDown", platform::virtualKey::downArrow},
        {arrowLeft, "arrowLeft", platform::virtualKey::leftArrow},
        {arrowRight, "arrowRight", platform::virtualKey::rightArrow},
        {home, "home", platform::virtualKey::home},
        {end, "end", platform::virtualKey::end},
        {pageUp, "pageUp", platform::virtualKey::pageUp},
        {pageDown, "pageDown", platform::virtualKey::pageDown},
        {letterA, "letterA", platform::virtualKey::ansiA},
        {letterE, "letterE", platform::virtualKey::ansiE},
        {letterD, "letterD", platform::virtualKey::ansiD},
        {letterH, "letterH", platform::virtualKey::ansiH},
        {letterI, "letterI", platform::virtualKey::ansiI},
        {letterJ, "letterJ", platform::virtualKey::ansiJ},
        {letterK, "letterK", platform::virtualKey::ansiK},
        {letterL, "letterL", platform::virtualKey::ansiL},
        {letterN, "letterN", platform::virtualKey::ansiN},
        {letterM, "letterM", platform::virtualKey::ansiM},
        {letterO, "letterO", platform::virtualKey::ansiO},
        {letterQ, "letterQ", platform::virtualKey::ansiQ},
        {letterS, "letterS", platform::virtualKey::ansiS},
        {letterW, "letterW", platform::virtualKey::ansiW},
        {letterX, "letterX", platform::virtualKey::ansiX},
        {letterComma, "letterComma", platform::virtualKey::ansiComma},
    }};
};

static_assert(tableFollowsDeclarationOrder<desktop::Key>());

}  // namespace zoral::platform

namespace zoral::desktop {

// The key's virtual key code.
constexpr platform::CGKeyCode keyCode(Key key) {
    return platform::rawValue(key);
}

// The one key with this code; none for a code that no key has (116 is pageUp, not arrowUp).
constexpr std::optional<Key> keyFromCode(platform::CGKeyCode code) {
    return platform::fromRawValue<Key>(code);
}

// The codes that count as the key when keys are recognised: the arrows also take the page and
// home/end codes that the keyboard sends with Fn held, return takes enter and delete takes forward
// delete; every other key only its own code.
std::set<platform::CGKeyCode> keyCodes(Key key);

inline std::ostream& operator<<(std::ostream& stream, Key key) {
    return stream << platform::caseName(key);
}

}  // namespace zoral::desktop
