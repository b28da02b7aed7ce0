// The recorder control as a user meets it: clicking it starts a recording, keys pressed in the
// window are taken, refused or passed on, and the stored shortcut follows.

#include <QApplication>
#include <QToolButton>
#include <QWidget>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/menus.h"
#include "platform/user_defaults.h"
#include "recorder_fixture.h"
#include "shortcuts/shortcut_display.h"
#include "sim/system_settings.h"
#include "ui/event_pump.h"
#include "ui/qt_view.h"

namespace zoral::shortcuts::testing {
namespace {

using namespace GlobalShortcuts;

constexpr Shortcut commandShiftK{40, 0x300};
constexpr Shortcut controlOptionCommandA{0, 0x1900};
constexpr Shortcut f5{96, 0};
constexpr Shortcut f12{111, 0};

// The main menu as the program has it: the application's menu, whose "Quit Zoral" is Command-Q,
// in a submenu.
void installMainMenu() {
    auto appMenu = std::make_shared<platform::Menu>("Zoral");
    appMenu->addItem(platform::MenuItem::make("About Zoral"));
    appMenu->addItem(platform::MenuItem::make("Preferences…", ","));
    appMenu->addItem(platform::MenuItem::separatorItem());
    appMenu->addItem(platform::MenuItem::make("Quit Zoral", "q"));
    auto top = platform::MenuItem::make("Zoral");
    top->submenu = appMenu;
    auto menu = std::make_shared<platform::Menu>("Main Menu");
    menu->addItem(top);
    platform::setMainMenu(menu);
}

// The system's shortcuts: the two space switches (Control with the arrows) and one of F12 alone.
void installSystemShortcuts() {
    sim::SystemSettings settings = sim::readSystemSettings();
    settings.symbolicHotKeys = {{"79", {true, {65535, 123, 0x840000}}},
                                {"81", {true, {65535, 124, 0x840000}}},
                                {"62", {true, {65535, 111, 0}}}};
    sim::writeSystemSettings(settings);
}

QWidget* focused() {
    return QApplication::focusWidget();
}

TEST_F(RecorderTest, AtRestItShowsTheStoredShortcutAndAsksToRecord) {
    EXPECT_EQ(recorder->placeholderString(), "Record Shortcut");
    EXPECT_EQ(recorder->stringValue(), "");
    EXPECT_FALSE(recorder->showsCancelButton());
    EXPECT_EQ(recorder->frame().width(), RecorderCocoa::minimumWidth);

    storeShortcut(controlOptionCommandA, name);
    EXPECT_EQ(recorder->stringValue(), "⌃⌥⌘A");
    EXPECT_TRUE(recorder->showsCancelButton());
    EXPECT_FALSE(recordingPause());
}

TEST_F(RecorderTest, AClickStartsARecordingThatPausesTheGlobalShortcuts) {
    click(*recorder);
    EXPECT_TRUE(recorder->isRecording());
    EXPECT_EQ(focused(), ui::qtWidget(*recorder));
    EXPECT_EQ(recorder->placeholderString(), "Press Shortcut");
    EXPECT_TRUE(recordingPause());
    EXPECT_TRUE(changes.empty());

    type(Qt::Key_Escape);
    EXPECT_FALSE(recorder->isRecording());
    EXPECT_EQ(recorder->placeholderString(), "Record Shortcut");
    EXPECT_FALSE(recordingPause());
}

struct KeyRule {
    std::string what;
    std::optional<Shortcut> storedBefore;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    // Expected.
    std::size_t beeps;
    std::optional<Shortcut> storedAfter;
    bool stillRecording;
    std::vector<std::optional<Shortcut>> changes;
    // The alert's message and informative text; none for no alert.
    std::optional<std::pair<std::string, std::string>> alert;
    // Where the focus is afterwards: on the recorder, on the OK button, or nowhere.
    enum class Focus { recorder, okButton, none } focus;
};

TEST_F(RecorderTest, KeysWhileRecordingAreTakenRefusedOrPassedOn) {
    installMainMenu();
    installSystemShortcuts();
    using F = KeyRule::Focus;
    const auto none = Qt::NoModifier;
    const auto shift = Qt::ShiftModifier;
    const std::string menuText =
        "This shortcut cannot be used: the menu item “Quit Zoral” has it already.";
    const std::string systemText =
        "This shortcut cannot be used: the system uses it for one of its own.";
    const std::string systemHint =
        "The system’s shortcuts can be changed in the Keyboard section of the system settings.";
    // clang-format off
    const std::vector<KeyRule> rules{
        // what; stored before; key, modifiers;
        //   beeps, stored after, still recording, told the callback, alert, focus after
        {"a plain letter is refused with a beep", std::nullopt, Qt::Key_A, none,
           1, std::nullopt, true, {}, std::nullopt, F::recorder},
        {"a shifted letter too", std::nullopt, Qt::Key_A, shift,
           1, std::nullopt, true, {}, std::nullopt, F::recorder},
        {"an arrow alone too", std::nullopt, Qt::Key_Left, none,
           1, std::nullopt, true, {}, std::nullopt, F::recorder},
        {"a key of the keypad: its keypad bit is no modifier", std::nullopt, Qt::Key_1, Qt::KeypadModifier,
           1, std::nullopt, true, {}, std::nullopt, F::recorder},
        {"a function key alone is stored", std::nullopt, Qt::Key_F5, none,
           0, f5, false, {f5}, std::nullopt, F::none},
        {"F12 alone is stored though the system has it: its check is skipped", std::nullopt, Qt::Key_F12, none,
           0, f12, false, {f12}, std::nullopt, F::none},
        {"a combination with modifiers is stored", commandShiftK, Qt::Key_A, Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier,
           0, controlOptionCommandA, false, {controlOptionCommandA}, std::nullopt, F::none},
        {"Escape ends the recording, the stored shortcut kept", commandShiftK, Qt::Key_Escape, none,
           0, commandShiftK, false, {}, std::nullopt, F::none},
        {"Shift-Escape is refused: with a modifier it is no Escape", commandShiftK, Qt::Key_Escape, shift,
           1, commandShiftK, true, {}, std::nullopt, F::recorder},
        {"Tab ends the recording and moves on to the next control", commandShiftK, Qt::Key_Tab, none,
           0, commandShiftK, false, {}, std::nullopt, F::okButton},
        {"Shift-Tab is refused", commandShiftK, Qt::Key_Backtab, shift,
           1, commandShiftK, true, {}, std::nullopt, F::recorder},
        {"Delete clears the stored shortcut and goes on recording", commandShiftK, Qt::Key_Backspace, none,
           0, std::nullopt, true, {std::nullopt}, std::nullopt, F::recorder},
        {"forward delete clears too", commandShiftK, Qt::Key_Delete, none,
           0, std::nullopt, true, {std::nullopt}, std::nullopt, F::recorder},
        {"Delete with nothing stored does nothing", std::nullopt, Qt::Key_Backspace, none,
           0, std::nullopt, true, {}, std::nullopt, F::recorder},
        {"a combination of a menu item: an alert with its title, then recording again", commandShiftK, Qt::Key_Q, Qt::MetaModifier,
           0, commandShiftK, true, {}, std::pair{menuText, std::string()}, F::recorder},
        {"a combination the system uses: an alert, then recording again", commandShiftK, Qt::Key_Left, Qt::ControlModifier,
           0, commandShiftK, true, {}, std::pair{systemText, systemHint}, F::recorder},
    };
    // clang-format on
    for (const KeyRule& rule : rules) {
        SCOPED_TRACE(rule.what);
        window->makeFirstResponder(nullptr);
        updateShortcut(rule.storedBefore, name);
        changes.clear();
        sim::Journal::of(*world).clear();
        click(*recorder);
        ASSERT_TRUE(recorder->isRecording());

        if (rule.alert)
            alertSheets().answerNextWith(0);
        type(rule.key, rule.modifiers);

        EXPECT_EQ(beeps(), rule.beeps);
        EXPECT_EQ(storedShortcut(name), rule.storedAfter);
        EXPECT_EQ(recorder->stringValue(),
                  rule.storedAfter ? displayString(*rule.storedAfter) : std::string());
        EXPECT_EQ(recorder->showsCancelButton(), rule.storedAfter.has_value());
        EXPECT_EQ(recorder->isRecording(), rule.stillRecording);
        EXPECT_EQ(recordingPause(), rule.stillRecording);
        EXPECT_EQ(changes, rule.changes);
        const auto shown = alerts();
        if (rule.alert) {
            ASSERT_EQ(shown.size(), 1u);
            EXPECT_EQ(shown[0].messageText, rule.alert->first);
            EXPECT_EQ(shown[0].informativeText, rule.alert->second);
            EXPECT_EQ(shown[0].style, platform::AlertStyle::warning);
            EXPECT_EQ(shown[0].sheetWindow, window->windowNumber());
            EXPECT_TRUE(alertSheets().onScreen().empty()) << "answered";
        } else {
            EXPECT_TRUE(shown.empty());
        }
        switch (rule.focus) {
            case F::recorder:
                EXPECT_EQ(focused(), ui::qtWidget(*recorder));
                break;
            case F::okButton:
                EXPECT_EQ(focused(), ui::qtWidget(*okButton))
                    << (focused() ? focused()->metaObject()->className() : "none");
                break;
            case F::none:
                EXPECT_EQ(window->firstResponder(), nullptr);
                break;
        }
    }
}

TEST_F(RecorderTest, AMouseUpEndsTheRecordingOnlyMoreThanThreePointsOutside) {
    struct Case {
        std::string what;
        QPoint offset;  // from the field's top-left corner
        bool stillRecording;
    };
    const int width = ui::qtWidget(*recorder)->width();
    const int height = ui::qtWidget(*recorder)->height();
    const std::vector<Case> cases{
        {"inside", {10, 5}, true},
        {"2 points right of it", {width + 1, 5}, true},
        {"2 points below it", {10, height + 1}, true},
        {"4 points right of it", {width + 3, 5}, false},
        {"4 points above it", {10, -4}, false},
        {"on the OK button", pointOf(*okButton, {5, 5}) - pointOf(*recorder, {0, 0}), false},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.what);
        click(*recorder);
        ASSERT_TRUE(recorder->isRecording());
        clickAt(windowOf(*recorder), pointOf(*recorder, row.offset));
        EXPECT_EQ(recorder->isRecording(), row.stillRecording);
        EXPECT_EQ(recordingPause(), row.stillRecording);
        window->makeFirstResponder(nullptr);
    }
}

TEST_F(RecorderTest, TheClearButtonClearsTheStoredShortcutAndRecordingGoesOn) {
    storeShortcut(commandShiftK, name);
    click(*recorder);
    const auto* clear = ui::qtWidget(*recorder)->findChild<QToolButton*>();
    ASSERT_NE(clear, nullptr);
    ASSERT_TRUE(clear->isVisible());
    QTest::mouseClick(const_cast<QToolButton*>(clear), Qt::LeftButton);
    scheduler().runUntilIdle();

    EXPECT_EQ(storedShortcut(name), std::nullopt);
    EXPECT_EQ(platform::UserDefaults::standard().objectForKey(name.userDefaultsKey()),
              platform::PlistObject::boolean(false))
        << "stored as cleared";
    EXPECT_EQ(changes, (std::vector<std::optional<Shortcut>>{std::nullopt}));
    EXPECT_EQ(recorder->stringValue(), "");
    EXPECT_FALSE(recorder->showsCancelButton());
    EXPECT_TRUE(recorder->isRecording());
}

// The user's hands on the simulated desktop press the global shortcut while the recorder records:
// the hot key's handler stays silent, and hears it again once the recording has ended.
TEST_F(RecorderTest, GlobalShortcutsDoNotFireWhileRecording) {
    storeShortcut(controlOptionA, name);
    int fired = 0;
    attachKeyUpHandler(name, [&fired] { ++fired; });
    press(controlOptionA);
    release(controlOptionA);
    ASSERT_EQ(fired, 1);

    click(*recorder);
    press(controlOptionA);
    release(controlOptionA);
    EXPECT_EQ(fired, 1) << "paused while recording";
    EXPECT_EQ(hotKeys().deliveries().size(), 4u) << "the system still sent the hot key";

    type(Qt::Key_Escape);
    press(controlOptionA);
    release(controlOptionA);
    EXPECT_EQ(fired, 2);
}

TEST_F(RecorderTest, ARecorderThatGoesWhileRecordingEndsThePause) {
    click(*recorder);
    // The window leaves the screen: the field keeps the focus of its window, and records on.
    window->orderOut();
    ui::processToolkitEvents();
    ASSERT_TRUE(recordingPause());
    window.reset();
    recorder.reset();
    EXPECT_FALSE(recordingPause()) << "the global shortcuts would stay silent for good";
}

TEST_F(RecorderTest, TwoRecordersOfOneNameShowTheSameShortcut) {
    auto second = RecorderCocoa::make(name);
    auto other = RecorderCocoa::make(Name("other"));
    auto secondWindow = makeWindow({second, other});

    click(*recorder);
    type(Qt::Key_K, Qt::MetaModifier | Qt::ShiftModifier);
    EXPECT_EQ(second->stringValue(), "⇧⌘K");
    EXPECT_TRUE(second->showsCancelButton());
    EXPECT_EQ(other->stringValue(), "") << "another name's recorder is left alone";

    // Cleared elsewhere: both follow.
    updateShortcut(std::nullopt, name);
    EXPECT_EQ(recorder->stringValue(), "");
    EXPECT_EQ(second->stringValue(), "");
    EXPECT_FALSE(second->showsCancelButton());
}

TEST_F(RecorderTest, ANewNameShowsThatNamesStoredShortcut) {
    storeShortcut(commandShiftK, name);
    storeShortcut(controlOptionCommandA, Name("other"));
    recorder->setShortcutName(Name("other"));
    EXPECT_EQ(recorder->stringValue(), "⌃⌥⌘A");

    // From now on it follows the new name, not the old.
    storeShortcut(f5, name);
    EXPECT_EQ(recorder->stringValue(), "⌃⌥⌘A");
    updateShortcut(std::nullopt, Name("other"));
    EXPECT_EQ(recorder->stringValue(), "");
}

}  // namespace
}  // namespace zoral::shortcuts::testing
