#include <QKeyEvent>
#include <QMouseEvent>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "sim/keyboard_layout.h"
#include "ui/application.h"
#include "ui/qt_events.h"
#include "ui_world.h"

namespace zoral::ui {
namespace {

using platform::NSEventType;

// The toolkit's events exist only with its application, as they reach the program's widgets.
class KeyEventsTest : public testing::UiWorldTest {
protected:
    KeyEventsTest() { ensureApplication(); }
};

constexpr std::uint64_t coalesced = 0x100;
constexpr std::uint64_t shift = 0x20000 | 0x2;
constexpr std::uint64_t control = 0x40000 | 0x1;
constexpr std::uint64_t option = 0x80000 | 0x20;
constexpr std::uint64_t command = 0x100000 | 0x8;
constexpr std::uint64_t fn = 0x800000;
constexpr std::uint64_t pad = 0x200000;

struct KeyCase {
    std::string what;
    std::string layout;
    QEvent::Type type;
    int key;
    Qt::KeyboardModifiers modifiers;
    // An X server's key code, 0 for none (the toolkit's own test events).
    quint32 scanCode;
    // Expected; no type means no event.
    std::optional<NSEventType> eventType;
    platform::CGKeyCode keyCode = 0;
    std::uint64_t flags = 0;
    std::u16string characters;
    std::u16string ignoringModifiers;
    std::optional<SpecialKey> special;
};

TEST_F(KeyEventsTest, KeysBecomeTheSystemsKeyEvents) {
    const auto down = QEvent::KeyPress;
    const auto up = QEvent::KeyRelease;
    const auto none = Qt::NoModifier;
    const std::vector<KeyCase> cases{
        {"a letter", "US", down, Qt::Key_A, none, 0, NSEventType::keyDown, 0, coalesced, u"a", u"a",
         std::nullopt},
        {"shifted", "US", down, Qt::Key_A, Qt::ShiftModifier, 0, NSEventType::keyDown, 0,
         shift | coalesced, u"A", u"A", std::nullopt},
        {"control makes the control character", "US", down, Qt::Key_A, Qt::ControlModifier, 0,
         NSEventType::keyDown, 0, control | coalesced, u"\x01", u"a", std::nullopt},
        {"option and command", "US", up, Qt::Key_K, Qt::AltModifier | Qt::MetaModifier, 0,
         NSEventType::keyUp, 40, option | command | coalesced, u"k", u"k", std::nullopt},
        {"the key that types a on a French keyboard", "French", down, Qt::Key_A, none, 0,
         NSEventType::keyDown, 12, coalesced, u"a", u"a", std::nullopt},
        {"a digit on Shift in French", "French", down, Qt::Key_1, Qt::ShiftModifier, 0,
         NSEventType::keyDown, 18, shift | coalesced, u"1", u"1", std::nullopt},
        {"escape", "US", down, Qt::Key_Escape, none, 0, NSEventType::keyDown, 53, coalesced,
         u"\x1B", u"\x1B", std::nullopt},
        {"tab", "US", down, Qt::Key_Tab, none, 0, NSEventType::keyDown, 48, coalesced, u"\t", u"\t",
         SpecialKey::tab},
        {"shift-tab", "US", down, Qt::Key_Backtab, Qt::ShiftModifier, 0, NSEventType::keyDown, 48,
         shift | coalesced, u"\x19", u"\x19", SpecialKey::backTab},
        {"the delete key", "US", down, Qt::Key_Backspace, none, 0, NSEventType::keyDown, 51,
         coalesced, u"\x7F", u"\x7F", SpecialKey::delete_},
        {"forward delete", "US", down, Qt::Key_Delete, none, 0, NSEventType::keyDown, 117,
         fn | coalesced, u"\uF728", u"\uF728", SpecialKey::deleteForward},
        {"F5 alone", "US", down, Qt::Key_F5, none, 0, NSEventType::keyDown, 96, fn | coalesced,
         u"\uF708", u"\uF708", static_cast<SpecialKey>(0xF708)},
        {"F12", "US", down, Qt::Key_F12, none, 0, NSEventType::keyDown, 111, fn | coalesced,
         u"\uF70F", u"\uF70F", static_cast<SpecialKey>(0xF70F)},
        {"F13, beyond the laptop's row", "US", down, Qt::Key_F13, none, 0, NSEventType::keyDown,
         105, fn | coalesced, u"\uF710", u"\uF710", static_cast<SpecialKey>(0xF710)},
        {"F20, the last", "US", up, Qt::Key_F20, none, 0, NSEventType::keyUp, 90, fn | coalesced,
         u"\uF717", u"\uF717", static_cast<SpecialKey>(0xF717)},
        {"help", "US", down, Qt::Key_Help, none, 0, NSEventType::keyDown, 114, fn | coalesced,
         u"\uF746", u"\uF746", SpecialKey::help},
        {"an arrow", "US", down, Qt::Key_Left, none, 0, NSEventType::keyDown, 123,
         fn | pad | coalesced, u"\uF702", u"\uF702", SpecialKey::leftArrow},
        {"home", "US", down, Qt::Key_Home, none, 0, NSEventType::keyDown, 115, fn | coalesced,
         u"\uF729", u"\uF729", SpecialKey::home},
        {"the keypad's 1", "US", down, Qt::Key_1, Qt::KeypadModifier, 0, NSEventType::keyDown, 83,
         pad | coalesced, u"1", u"1", std::nullopt},
        {"return", "US", down, Qt::Key_Return, none, 0, NSEventType::keyDown, 36, coalesced, u"\r",
         u"\r", SpecialKey::carriageReturn},
        {"shift pressed", "US", down, Qt::Key_Shift, none, 0, NSEventType::flagsChanged, 56,
         shift | coalesced, u"", u"", std::nullopt},
        {"shift released, still reported held", "US", up, Qt::Key_Shift, Qt::ShiftModifier, 0,
         NSEventType::flagsChanged, 56, coalesced, u"", u"", std::nullopt},
        {"command pressed with control held", "US", down, Qt::Key_Meta, Qt::ControlModifier, 0,
         NSEventType::flagsChanged, 55, command | control | coalesced, u"", u"", std::nullopt},
        {"the X server's key at the place of A", "US", down, Qt::Key_A, none, 38,
         NSEventType::keyDown, 0, coalesced, u"a", u"a", std::nullopt},
        {"the same place on a French keyboard types q", "French", down, Qt::Key_Q, none, 38,
         NSEventType::keyDown, 0, coalesced, u"q", u"q", std::nullopt},
        {"the X server's right shift", "US", down, Qt::Key_Shift, none, 62,
         NSEventType::flagsChanged, 60, 0x20000 | 0x4 | coalesced, u"", u"", std::nullopt},
        {"a key with no place", "US", down, Qt::Key_unknown, none, 0, std::nullopt},
    };
    for (const KeyCase& row : cases) {
        SCOPED_TRACE(row.what);
        ASSERT_TRUE(sim::KeyboardLayouts::of(*world).selectLayout(row.layout));
        const QKeyEvent key(row.type, row.key, row.modifiers, row.scanCode, 0, 0);
        const auto event = eventFromKey(key);
        ASSERT_EQ(event.has_value(), row.eventType.has_value());
        if (!event)
            continue;
        EXPECT_EQ(event->type, *row.eventType);
        EXPECT_EQ(event->keyCode, row.keyCode);
        EXPECT_EQ(event->modifierFlags.rawValue(), row.flags)
            << std::hex << event->modifierFlags.rawValue();
        EXPECT_TRUE(event->characters == row.characters);
        EXPECT_TRUE(event->charactersIgnoringModifiers == row.ignoringModifiers);
        EXPECT_EQ(event->specialKey(), row.special);
        const platform::CGEvent cg = event->cgEvent();
        EXPECT_EQ(static_cast<std::uint32_t>(cg.type), static_cast<std::uint32_t>(*row.eventType));
        EXPECT_EQ(cg.keyCode, row.keyCode);
        EXPECT_EQ(cg.flags, event->modifierFlags);
    }
}

TEST_F(KeyEventsTest, MouseEventsCarryTheirPlaceInTheWindowFromTheBottom) {
    scheduler().advance(2.5);
    struct Case {
        QEvent::Type type;
        Qt::MouseButton button;
        Qt::MouseButtons held;
        NSEventType expected;
        std::int64_t clicks;
    };
    const std::vector<Case> cases{
        {QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, NSEventType::leftMouseDown, 1},
        {QEvent::MouseButtonDblClick, Qt::LeftButton, Qt::LeftButton, NSEventType::leftMouseDown,
         2},
        {QEvent::MouseButtonRelease, Qt::RightButton, Qt::NoButton, NSEventType::rightMouseUp, 1},
        {QEvent::MouseButtonPress, Qt::MiddleButton, Qt::MiddleButton, NSEventType::otherMouseDown,
         1},
        {QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, NSEventType::leftMouseDragged, 0},
        {QEvent::MouseMove, Qt::NoButton, Qt::NoButton, NSEventType::mouseMoved, 0},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(static_cast<int>(row.expected));
        const QMouseEvent mouse(row.type, QPointF(10, 20), QPointF(10, 20), QPointF(110, 120),
                                row.button, row.held, Qt::ShiftModifier);
        const auto event = eventFromMouse(mouse, 100);
        ASSERT_TRUE(event);
        EXPECT_EQ(event->type, row.expected);
        EXPECT_EQ(event->clickCount, row.clicks);
        EXPECT_EQ(event->locationInWindow, (platform::CGPoint{10, 80}));
        EXPECT_EQ(event->modifierFlags.rawValue(), shift);
        EXPECT_EQ(event->timestamp, 2.5) << "the program's clock";
    }
}

}  // namespace
}  // namespace zoral::ui
