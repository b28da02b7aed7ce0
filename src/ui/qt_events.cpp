#include "ui/qt_events.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <algorithm>
#include <array>
#include <cctype>
#include <span>

#include "platform/key_codes.h"
#include "platform/scheduler.h"
#include "platform/text_input_sources.h"

namespace zoral::ui {

namespace {

using platform::CGEventFlags;
using platform::CGKeyCode;
using platform::NSEventType;
namespace vk = platform::virtualKey;

// Keys that type no text of the layout: the toolkit's key, the key code, the character the
// event carries, and the bits the keyboard sets on the key's own events.
struct FixedKey {
    int qtKey;
    CGKeyCode keyCode;
    char16_t character;
    std::uint64_t bits;
};

constexpr std::uint64_t fnBit = 0x800000;
constexpr std::uint64_t padBit = 0x200000;

constexpr std::array fixedKeys{
    FixedKey{Qt::Key_Escape, vk::escape, 0x1B, 0},
    FixedKey{Qt::Key_Tab, vk::tab, 0x09, 0},
    FixedKey{Qt::Key_Backtab, vk::tab, 0x19, 0},
    FixedKey{Qt::Key_Backspace, vk::delete_, 0x7F, 0},
    FixedKey{Qt::Key_Return, vk::return_, 0x0D, 0},
    FixedKey{Qt::Key_Enter, vk::keypadEnter, 0x03, padBit},
    FixedKey{Qt::Key_Space, vk::space, u' ', 0},
    FixedKey{Qt::Key_Delete, vk::forwardDelete, 0xF728, fnBit},
    FixedKey{Qt::Key_Home, vk::home, 0xF729, fnBit},
    FixedKey{Qt::Key_End, vk::end, 0xF72B, fnBit},
    FixedKey{Qt::Key_PageUp, vk::pageUp, 0xF72C, fnBit},
    FixedKey{Qt::Key_PageDown, vk::pageDown, 0xF72D, fnBit},
    FixedKey{Qt::Key_Help, 0x72, 0xF746, fnBit},
    FixedKey{Qt::Key_Insert, 0x72, 0xF746, fnBit},
    FixedKey{Qt::Key_Up, vk::upArrow, 0xF700, fnBit | padBit},
    FixedKey{Qt::Key_Down, vk::downArrow, 0xF701, fnBit | padBit},
    FixedKey{Qt::Key_Left, vk::leftArrow, 0xF702, fnBit | padBit},
    FixedKey{Qt::Key_Right, vk::rightArrow, 0xF703, fnBit | padBit},
    FixedKey{Qt::Key_Clear, 0x47, 0xF739, padBit},
};

// The function keys' codes, F1 first; the keyboard has twenty.
constexpr std::array<CGKeyCode, 20> functionKeyCodes{
    122, 120, 99, 118, 96, 97, 98, 100, 101, 109, 103, 111, 105, 107, 113, 106, 64, 79, 80, 90};

// The modifier keys: the toolkit's key, the left and right key codes, the flag, and the side bits.
struct ModifierKey {
    int qtKey;
    CGKeyCode left;
    CGKeyCode right;
    CGEventFlags flag;
    CGEventFlags leftBit;
    CGEventFlags rightBit;
};

// On this keyboard Alt is Option and the logo key (the toolkit's Meta) Command.
const std::array modifierKeys{
    ModifierKey{Qt::Key_Shift, vk::shift, vk::rightShift, CGEventFlags::maskShift,
                CGEventFlags::maskDeviceLeftShift, CGEventFlags::maskDeviceRightShift},
    ModifierKey{Qt::Key_Control, vk::control, vk::rightControl, CGEventFlags::maskControl,
                CGEventFlags::maskDeviceLeftControl, CGEventFlags::maskDeviceRightControl},
    ModifierKey{Qt::Key_Alt, vk::option, vk::rightOption, CGEventFlags::maskAlternate,
                CGEventFlags::maskDeviceLeftOption, CGEventFlags::maskDeviceRightOption},
    ModifierKey{Qt::Key_Meta, vk::command, vk::rightCommand, CGEventFlags::maskCommand,
                CGEventFlags::maskDeviceLeftCommand, CGEventFlags::maskDeviceRightCommand},
    ModifierKey{Qt::Key_Super_L, vk::command, vk::rightCommand, CGEventFlags::maskCommand,
                CGEventFlags::maskDeviceLeftCommand, CGEventFlags::maskDeviceRightCommand},
    ModifierKey{Qt::Key_Super_R, vk::rightCommand, vk::rightCommand, CGEventFlags::maskCommand,
                CGEventFlags::maskDeviceRightCommand, CGEventFlags::maskDeviceRightCommand},
    ModifierKey{Qt::Key_CapsLock, vk::capsLock, vk::capsLock, CGEventFlags::maskAlphaShift,
                CGEventFlags(), CGEventFlags()},
};

// The keypad's keys, by the character the toolkit names with its keypad modifier.
struct KeypadKey {
    int qtKey;
    CGKeyCode keyCode;
};
constexpr std::array keypadKeys{
    KeypadKey{Qt::Key_0, 82},        KeypadKey{Qt::Key_1, 83},      KeypadKey{Qt::Key_2, 84},
    KeypadKey{Qt::Key_3, 85},        KeypadKey{Qt::Key_4, 86},      KeypadKey{Qt::Key_5, 87},
    KeypadKey{Qt::Key_6, 88},        KeypadKey{Qt::Key_7, 89},      KeypadKey{Qt::Key_8, 91},
    KeypadKey{Qt::Key_9, 92},        KeypadKey{Qt::Key_Period, 65}, KeypadKey{Qt::Key_Comma, 65},
    KeypadKey{Qt::Key_Asterisk, 67}, KeypadKey{Qt::Key_Plus, 69},   KeypadKey{Qt::Key_Minus, 78},
    KeypadKey{Qt::Key_Slash, 75},    KeypadKey{Qt::Key_Equal, 81},  KeypadKey{Qt::Key_Enter, 76},
};

// An X server's key codes are the kernel's input codes plus 8; these are the kernel's codes of
// the keys that have a place on this keyboard, with the place's key code.
struct ScanCode {
    std::uint32_t input;
    CGKeyCode keyCode;
};
constexpr std::array scanCodes{
    ScanCode{1, vk::escape},
    ScanCode{2, vk::ansi1},
    ScanCode{3, vk::ansi2},
    ScanCode{4, vk::ansi3},
    ScanCode{5, vk::ansi4},
    ScanCode{6, vk::ansi5},
    ScanCode{7, vk::ansi6},
    ScanCode{8, vk::ansi7},
    ScanCode{9, vk::ansi8},
    ScanCode{10, vk::ansi9},
    ScanCode{11, vk::ansi0},
    ScanCode{12, vk::ansiMinus},
    ScanCode{13, vk::ansiEqual},
    ScanCode{14, vk::delete_},
    ScanCode{15, vk::tab},
    ScanCode{16, vk::ansiQ},
    ScanCode{17, vk::ansiW},
    ScanCode{18, vk::ansiE},
    ScanCode{19, vk::ansiR},
    ScanCode{20, vk::ansiT},
    ScanCode{21, vk::ansiY},
    ScanCode{22, vk::ansiU},
    ScanCode{23, vk::ansiI},
    ScanCode{24, vk::ansiO},
    ScanCode{25, vk::ansiP},
    ScanCode{26, vk::ansiLeftBracket},
    ScanCode{27, vk::ansiRightBracket},
    ScanCode{28, vk::return_},
    ScanCode{29, vk::control},
    ScanCode{30, vk::ansiA},
    ScanCode{31, vk::ansiS},
    ScanCode{32, vk::ansiD},
    ScanCode{33, vk::ansiF},
    ScanCode{34, vk::ansiG},
    ScanCode{35, vk::ansiH},
    ScanCode{36, vk::ansiJ},
    ScanCode{37, vk::ansiK},
    ScanCode{38, vk::ansiL},
    ScanCode{39, vk::ansiSemicolon},
    ScanCode{40, vk::ansiQuote},
    ScanCode{41, vk::ansiGrave},
    ScanCode{42, vk::shift},
    ScanCode{43, vk::ansiBackslash},
    ScanCode{44, vk::ansiZ},
    ScanCode{45, vk::ansiX},
    ScanCode{46, vk::ansiC},
    ScanCode{47, vk::ansiV},
    ScanCode{48, vk::ansiB},
    ScanCode{49, vk::ansiN},
    ScanCode{50, vk::ansiM},
    ScanCode{51, vk::ansiComma},
    ScanCode{52, vk::ansiPeriod},
    ScanCode{53, vk::ansiSlash},
    ScanCode{54, vk::rightShift},
    ScanCode{55, 67},
    ScanCode{56, vk::option},
    ScanCode{57, vk::space},
    ScanCode{58, vk::capsLock},
    ScanCode{59, 122},
    ScanCode{60, 120},
    ScanCode{61, 99},
    ScanCode{62, 118},
    ScanCode{63, 96},
    ScanCode{64, 97},
    ScanCode{65, 98},
    ScanCode{66, 100},
    ScanCode{67, 101},
    ScanCode{68, 109},
    ScanCode{71, 89},
    ScanCode{72, 91},
    ScanCode{73, 92},
    ScanCode{74, 78},
    ScanCode{75, 86},
    ScanCode{76, 87},
    ScanCode{77, 88},
    ScanCode{78, 69},
    ScanCode{79, 83},
    ScanCode{80, 84},
    ScanCode{81, 85},
    ScanCode{82, 82},
    ScanCode{83, 65},
    ScanCode{86, 0x0A},
    ScanCode{87, 103},
    ScanCode{88, 111},
    ScanCode{96, vk::keypadEnter},
    ScanCode{97, vk::rightControl},
    ScanCode{98, 75},
    ScanCode{100, vk::rightOption},
    ScanCode{102, vk::home},
    ScanCode{103, vk::upArrow},
    ScanCode{104, vk::pageUp},
    ScanCode{105, vk::leftArrow},
    ScanCode{106, vk::rightArrow},
    ScanCode{107, vk::end},
    ScanCode{108, vk::downArrow},
    ScanCode{109, vk::pageDown},
    ScanCode{110, 0x72},
    ScanCode{111, vk::forwardDelete},
    ScanCode{117, 81},
    ScanCode{125, vk::command},
    ScanCode{126, vk::rightCommand},
    ScanCode{183, 105},
    ScanCode{184, 107},
    ScanCode{185, 113},
    ScanCode{186, 106},
    ScanCode{187, 64},
    ScanCode{188, 79},
    ScanCode{189, 80},
    ScanCode{190, 90},
};

// The X server's key codes are the kernel's plus this.
constexpr std::uint32_t xKeyCodeOffset = 8;

const FixedKey* fixedKeyWithCode(CGKeyCode code) {
    for (const FixedKey& key : fixedKeys) {
        if (key.keyCode == code && key.qtKey != Qt::Key_Backtab && key.qtKey != Qt::Key_Insert)
            return &key;
    }
    return nullptr;
}

std::optional<std::size_t> functionKeyIndex(CGKeyCode code) {
    const auto found = std::ranges::find(functionKeyCodes, code);
    if (found == functionKeyCodes.end())
        return std::nullopt;
    return static_cast<std::size_t>(found - functionKeyCodes.begin());
}

const ModifierKey* modifierKeyWithCode(CGKeyCode code) {
    for (const ModifierKey& key : modifierKeys) {
        if (key.left == code || key.right == code)
            return &key;
    }
    return nullptr;
}

bool isKeypadCode(CGKeyCode code) {
    return code == 0x47 || std::ranges::any_of(keypadKeys, [code](const KeypadKey& key) {
               return key.keyCode == code;
           });
}

// What the key types under the current layout, with Shift or without.
std::u16string layoutText(CGKeyCode code, bool shift, bool capsLock) {
    const auto source = platform::tis::copyCurrentASCIICapableKeyboardLayoutInputSource();
    const auto data = platform::tis::getUnicodeKeyLayoutData(source);
    if (!data)
        return {};
    std::array<char16_t, 8> buffer{};
    std::size_t length = 0;
    std::uint32_t deadKeys = 0;
    const std::uint32_t state = (shift ? 0x02u : 0u) | (capsLock ? 0x04u : 0u);
    if (platform::tis::ucKeyTranslate(data.get(), code, platform::tis::kUCKeyActionDown, state,
                                      platform::tis::getKeyboardType(), 0, &deadKeys, buffer,
                                      &length) != 0) {
        return {};
    }
    return std::u16string(buffer.data(), length);
}

// The key of the current layout that types the character, plain or with Shift.
std::optional<CGKeyCode> layoutKeyTyping(char16_t character) {
    const char16_t lower =
        character < 0x80 ? static_cast<char16_t>(std::tolower(character)) : character;
    for (CGKeyCode code = 0; code <= 0x32; ++code) {
        if (code == vk::return_ || code == vk::tab || code == vk::space || code == vk::delete_)
            continue;
        if (layoutText(code, false, false) == std::u16string(1, lower) ||
            layoutText(code, true, false) == std::u16string(1, character)) {
            return code;
        }
    }
    return std::nullopt;
}

std::optional<CGKeyCode> keyCodeOf(const QKeyEvent& key) {
    if (key.nativeScanCode() > xKeyCodeOffset) {
        const std::uint32_t input = key.nativeScanCode() - xKeyCodeOffset;
        for (const ScanCode& scan : scanCodes) {
            if (scan.input == input)
                return scan.keyCode;
        }
        return std::nullopt;
    }
    const int qtKey = key.key();
    if (key.modifiers().testFlag(Qt::KeypadModifier)) {
        for (const KeypadKey& pad : keypadKeys) {
            if (pad.qtKey == qtKey)
                return pad.keyCode;
        }
    }
    for (const ModifierKey& modifier : modifierKeys) {
        if (modifier.qtKey == qtKey)
            return modifier.left;
    }
    for (const FixedKey& fixed : fixedKeys) {
        if (fixed.qtKey == qtKey)
            return fixed.keyCode;
    }
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F20)
        return functionKeyCodes[static_cast<std::size_t>(qtKey - Qt::Key_F1)];
    if (qtKey > 0 && qtKey < 0xFFFF)
        return layoutKeyTyping(static_cast<char16_t>(qtKey));
    return std::nullopt;
}

CGEventFlags flagsOf(Qt::KeyboardModifiers modifiers) {
    CGEventFlags flags;
    if (modifiers.testFlag(Qt::ShiftModifier))
        flags |= CGEventFlags::maskShift | CGEventFlags::maskDeviceLeftShift;
    if (modifiers.testFlag(Qt::ControlModifier))
        flags |= CGEventFlags::maskControl | CGEventFlags::maskDeviceLeftControl;
    if (modifiers.testFlag(Qt::AltModifier))
        flags |= CGEventFlags::maskAlternate | CGEventFlags::maskDeviceLeftOption;
    if (modifiers.testFlag(Qt::MetaModifier))
        flags |= CGEventFlags::maskCommand | CGEventFlags::maskDeviceLeftCommand;
    return flags | CGEventFlags::maskNonCoalesced;
}

// The X server's lock bit in the native modifier state: Caps Lock is on.
constexpr quint32 xLockMask = 0x2;

}  // namespace

std::optional<Event> eventFromKey(const QKeyEvent& key) {
    const bool press = key.type() == QEvent::KeyPress;
    if (!press && key.type() != QEvent::KeyRelease)
        return std::nullopt;
    const auto code = keyCodeOf(key);
    if (!code)
        return std::nullopt;

    Event event;
    event.keyCode = *code;
    event.isARepeat = key.isAutoRepeat();
    // Event times come from the program's clock, as every event's does.
    event.timestamp = platform::uptimeSeconds();
    CGEventFlags flags = flagsOf(key.modifiers());
    if (key.nativeScanCode() > xKeyCodeOffset && (key.nativeModifiers() & xLockMask) != 0)
        flags |= CGEventFlags::maskAlphaShift;

    if (const ModifierKey* modifier = modifierKeyWithCode(*code)) {
        // The modifier's own flag follows its press and release, whatever the toolkit reports.
        const bool right = *code == modifier->right && modifier->right != modifier->left;
        const CGEventFlags side = right ? modifier->rightBit : modifier->leftBit;
        // The toolkit reports a modifier key's own modifier inconsistently around its press and
        // release; the key's event itself says which it is.
        flags = flags & ~modifier->flag & ~modifier->leftBit & ~modifier->rightBit;
        if (press)
            flags |= modifier->flag | side;
        event.type = NSEventType::flagsChanged;
        event.modifierFlags = flags;
        return event;
    }

    event.type = press ? NSEventType::keyDown : NSEventType::keyUp;
    const bool shift = flags.contains(CGEventFlags::maskShift);
    const bool capsLock = flags.contains(CGEventFlags::maskAlphaShift);
    if (const FixedKey* fixed = fixedKeyWithCode(*code)) {
        flags |= CGEventFlags(fixed->bits);
        const char16_t character = key.key() == Qt::Key_Backtab || (*code == vk::tab && shift)
                                       ? char16_t{0x19}
                                       : fixed->character;
        event.characters = event.charactersIgnoringModifiers = std::u16string(1, character);
    } else if (const auto index = functionKeyIndex(*code)) {
        flags |= CGEventFlags(fnBit);
        const auto character = static_cast<char16_t>(0xF704 + *index);
        event.characters = event.charactersIgnoringModifiers = std::u16string(1, character);
    } else {
        if (isKeypadCode(*code))
            flags |= CGEventFlags(padBit);
        event.charactersIgnoringModifiers = layoutText(*code, shift, capsLock);
        event.characters = event.charactersIgnoringModifiers;
        const bool control = flags.contains(CGEventFlags::maskControl);
        if (control && event.characters.size() == 1 && event.characters[0] < 0x80 &&
            std::isalpha(event.characters[0]) != 0) {
            event.characters =
                std::u16string(1, static_cast<char16_t>(std::toupper(event.characters[0]) - '@'));
        }
    }
    event.modifierFlags = flags;
    return event;
}

std::optional<Event> eventFromMouse(const QMouseEvent& mouse, double windowHeight) {
    const Qt::MouseButton button = mouse.button();
    const bool left = button == Qt::LeftButton;
    const bool right = button == Qt::RightButton;
    Event event;
    switch (mouse.type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            event.type = left    ? NSEventType::leftMouseDown
                         : right ? NSEventType::rightMouseDown
                                 : NSEventType::otherMouseDown;
            event.clickCount = mouse.type() == QEvent::MouseButtonDblClick ? 2 : 1;
            break;
        case QEvent::MouseButtonRelease:
            event.type = left    ? NSEventType::leftMouseUp
                         : right ? NSEventType::rightMouseUp
                                 : NSEventType::otherMouseUp;
            event.clickCount = 1;
            break;
        case QEvent::MouseMove:
            if (mouse.buttons().testFlag(Qt::LeftButton))
                event.type = NSEventType::leftMouseDragged;
            else if (mouse.buttons().testFlag(Qt::RightButton))
                event.type = NSEventType::rightMouseDragged;
            else if (mouse.buttons() != Qt::NoButton)
                event.type = NSEventType::otherMouseDragged;
            else
                event.type = NSEventType::mouseMoved;
            break;
        default:
            return std::nullopt;
    }
    event.buttonNumber = left ? 0 : right ? 1 : 2;
    event.modifierFlags = flagsOf(mouse.modifiers()) & ~CGEventFlags::maskNonCoalesced;
    event.locationInWindow = {mouse.scenePosition().x(), windowHeight - mouse.scenePosition().y()};
    event.timestamp = platform::uptimeSeconds();
    return event;
}

}  // namespace zoral::ui
