// The modifier-key picker: the user's clicks on its segments and the keys held while its popover
// is open, validated against the owner's rules; and the hints that open the Advanced tab.

#include "preferences/widgets/mod_key_control.h"

#include <QTest>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/app_delegate.h"
#include "app/recording_controllers.h"
#include "settings/defaults.h"
#include "ui/event_pump.h"
#include "ui/qt_view.h"
#include "ui/titled_window.h"
#include "ui_world.h"
#include "widget_driver.h"

namespace zoral::preferences {
namespace {

using settings::ModifierFlags;
using Result = ModKeyControl::SetFlagsResult;

constexpr ModifierFlags shift = ModifierFlags::shift;
constexpr ModifierFlags fn = ModifierFlags::function;
constexpr ModifierFlags control = ModifierFlags::control;
constexpr ModifierFlags option = ModifierFlags::option;
constexpr ModifierFlags command = ModifierFlags::command;

enum Segment : std::size_t { shiftSegment, fnSegment, ctrlSegment, altSegment, cmdSegment };

class ModKeyControlTest : public ui::testing::UiWorldTest {
protected:
    ModKeyControlTest() {
        picker = std::make_shared<ModKeyControl>();
        picker->setAction([this](ui::Control& sender) {
            sent.push_back(dynamic_cast<ModKeyControl&>(sender).flags);
        });
        auto content = std::make_shared<ui::View>();
        content->addSubview(picker);
        picker->setFrame({20, 20, 80, 22});
        window = std::make_shared<ui::TitledWindow>(platform::CGSize{320, 200});
        window->setContentView(content);
        window->makeKeyAndOrderFront();
        ui::processToolkitEvents();
        content->layoutSubtreeIfNeeded();
    }
    ~ModKeyControlTest() override {
        if (picker->popover()->isShown())
            picker->popover()->close();
        window->close();
    }

    // The owner's part when its view has loaded.
    void assign(ModifierFlags flags) {
        picker->flags = flags;
        picker->updateTitle();
    }

    void open() {
        ui::testing::click(*picker, QPoint(10, 10));
        ASSERT_TRUE(picker->popover()->isShown());
        picker->popover()->contentViewController()->view()->layoutSubtreeIfNeeded();
    }

    ModKeyPopoverViewController& popover() { return *picker->popoverController(); }
    ui::SegmentedControl& segments() { return *popover().segmentedControl(); }

    void clickSegment(std::size_t segment) {
        int x = 1;
        while (segments().segmentAt({static_cast<double>(x), 5}) != static_cast<int>(segment)) {
            ++x;
            ASSERT_LT(x, 400) << "no segment " << segment;
        }
        ui::testing::click(segments(), QPoint(x + 5, 5));
    }

    std::vector<bool> selected() {
        std::vector<bool> result;
        for (std::size_t i = 0; i < segments().segmentCount(); ++i)
            result.push_back(segments().isSelected(i));
        return result;
    }

    std::string message() {
        const auto& field = *popover().textField();
        return field.isHidden() ? std::string("(hidden)") : field.stringValue();
    }

    // The user presses or releases a modifier key while the popover is open. With modifiers, the
    // toolkit's test events press those keys first and release them last, one event each.
    void keyPress(Qt::Key key, Qt::KeyboardModifiers alreadyHeld = Qt::NoModifier) {
        QTest::keyPress(ui::qtWidget(segments()), key, alreadyHeld);
    }
    void keyRelease(Qt::Key key, Qt::KeyboardModifiers releasedAfter = Qt::NoModifier) {
        QTest::keyRelease(ui::qtWidget(segments()), key, releasedAfter);
    }

    std::shared_ptr<ModKeyControl> picker;
    std::shared_ptr<ui::TitledWindow> window;
    std::vector<ModifierFlags> sent;
};

TEST_F(ModKeyControlTest, TheKeyTableHoldsTheFiveKeysInSegmentOrder) {
    const auto& keys = modifierKeys();
    ASSERT_EQ(keys.size(), 5u);
    const std::vector<std::string> shorts{"shift", "fn", "ctrl", "alt", "cmd"};
    const std::vector<ModifierFlags> flags{shift, fn, control, option, command};
    for (std::size_t i = 0; i < keys.size(); ++i) {
        EXPECT_EQ(keys[i].short_, shorts[i]);
        EXPECT_EQ(keys[i].flags, flags[i]);
        EXPECT_EQ(segments().label(i), shorts[i]) << "segment " << i;
    }
}

TEST_F(ModKeyControlTest, ANewControlShowsADashAndNoKeys) {
    EXPECT_EQ(picker->title(), "\u2013");
    EXPECT_TRUE(picker->flags.isEmpty());
    EXPECT_EQ(picker->controlSize(), ui::ControlSize::small);
    EXPECT_EQ(picker->popover()->behavior(), ui::PopoverBehavior::transient);
}

TEST_F(ModKeyControlTest, TheTitleListsTheSymbolsInTableOrder) {
    struct Case {
        ModifierFlags flags;
        std::string title;
    };
    const Case cases[] = {
        {ModifierFlags(), "\u2013"},
        {option | shift, "\u21E7 \u2325"},
        {command | fn, "fn \u2318"},
        {shift | fn | control | option | command, "\u21E7 fn \u2303 \u2325 \u2318"},
        // Caps lock is no key of the table and adds nothing.
        {ModifierFlags::capsLock | control, "\u2303"},
        {ModifierFlags::capsLock, ""},
    };
    for (const Case& test : cases) {
        assign(test.flags);
        EXPECT_EQ(picker->title(), test.title) << std::hex << test.flags.rawValue();
    }
}

// Each case starts from accepted keys and toggles one segment with a click.
TEST_F(ModKeyControlTest, AClickedCombinationIsCheckedAgainstTheOwnersRulesInOrder) {
    struct Case {
        std::string what;
        bool allowEmpty = false;
        bool allowMultiple = true;
        int maximum = 5;
        std::vector<ModifierFlags> inUse;
        ModifierFlags start;
        Segment click;
        std::string message;
        ModifierFlags after;
        std::string title;
    };
    const Case cases[] = {
        {"the last key deselected",
         false,
         true,
         5,
         {},
         control,
         ctrlSegment,
         "Keys cannot be empty.",
         control,
         "\u2303"},
        {"empty allowed",
         true,
         true,
         5,
         {},
         control,
         ctrlSegment,
         "(hidden)",
         ModifierFlags(),
         "\u2013"},
        {"empty allowed but in use",
         true,
         true,
         5,
         {ModifierFlags()},
         control,
         ctrlSegment,
         "Keys already in use.",
         control,
         "\u2303"},
        {"a second key of a single-key control",
         false,
         false,
         5,
         {},
         shift,
         cmdSegment,
         "Cannot contain multiple keys.",
         shift,
         "\u21E7"},
        {"one key of a single-key control",
         false,
         false,
         5,
         {},
         shift,
         shiftSegment,
         "Keys cannot be empty.",
         shift,
         "\u21E7"},
        {"a third key past a maximum of two",
         false,
         true,
         2,
         {},
         shift | control,
         altSegment,
         "Maximum keys reached.",
         shift | control,
         "\u21E7 \u2303"},
        {"a second key at a maximum of two",
         false,
         true,
         2,
         {},
         shift,
         altSegment,
         "(hidden)",
         shift | option,
         "\u21E7 \u2325"},
        {"exactly another setting's keys",
         false,
         true,
         5,
         {command, control | option},
         control,
         altSegment,
         "Keys already in use.",
         control,
         "\u2303"},
        {"a superset of another setting's keys",
         false,
         true,
         5,
         {control | option},
         control | option | shift,
         cmdSegment,
         "(hidden)",
         control | option | shift | command,
         "\u21E7 \u2303 \u2325 \u2318"},
        {"a subset of another setting's keys",
         false,
         true,
         5,
         {control | option},
         control | option | shift,
         altSegment,
         "(hidden)",
         control | shift,
         "\u21E7 \u2303"},
        {"an empty choice is refused before the owner's rules",
         false,
         false,
         0,
         {ModifierFlags()},
         shift,
         shiftSegment,
         "Keys cannot be empty.",
         shift,
         "\u21E7"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        picker->allowEmptySelection = test.allowEmpty;
        picker->allowMultipleSelection = test.allowMultiple;
        picker->maxMultiSelection = test.maximum;
        picker->flagsConstraints.clear();
        int asked = 0;
        for (const ModifierFlags used : test.inUse) {
            picker->flagsConstraints.push_back([used, &asked] {
                ++asked;
                return used;
            });
        }
        assign(test.start);
        sent.clear();
        open();
        clickSegment(test.click);
        EXPECT_EQ(message(), test.message);
        EXPECT_EQ(picker->flags, test.after);
        EXPECT_EQ(picker->title(), test.title);
        const bool accepted = test.message == "(hidden)";
        EXPECT_EQ(sent, accepted ? std::vector{test.after} : std::vector<ModifierFlags>{})
            << "the action is sent once, and only for an accepted combination";
        if (test.message == "Keys already in use." || accepted) {
            EXPECT_EQ(asked, static_cast<int>(test.inUse.size())) << "every rule is asked";
        }
        picker->popover()->close();
    }
}

TEST_F(ModKeyControlTest, ARefusedChoiceStaysShownUntilThePopoverOpensAgain) {
    picker->disabledFlags = [] { return fn; };
    assign(shift | command);
    open();
    EXPECT_EQ(picker->popover()->preferredEdge(), ui::RectEdge::maxY) << "below the control";
    EXPECT_EQ(selected(), (std::vector<bool>{true, false, false, false, true}));
    EXPECT_FALSE(segments().isEnabled(fnSegment));
    EXPECT_TRUE(segments().isEnabled(shiftSegment));
    EXPECT_EQ(message(), "(hidden)");

    // Clicking a disabled segment does nothing.
    clickSegment(fnSegment);
    EXPECT_FALSE(segments().isSelected(fnSegment));
    EXPECT_TRUE(sent.empty());

    picker->maxMultiSelection = 1;
    clickSegment(altSegment);
    EXPECT_EQ(message(), "Maximum keys reached.");
    EXPECT_EQ(selected(), (std::vector<bool>{true, false, false, true, true}))
        << "the segments show what was tried";
    EXPECT_EQ(picker->flags, shift | command);

    // A click on the control while the popover is shown does nothing.
    ui::testing::click(*picker, QPoint(10, 10));
    EXPECT_TRUE(picker->popover()->isShown());
    EXPECT_EQ(message(), "Maximum keys reached.");

    // A click outside closes it; the next opening shows the control's keys again.
    ui::testing::click(*window->contentView(), QPoint(300, 180));
    EXPECT_FALSE(picker->popover()->isShown());
    open();
    EXPECT_EQ(selected(), (std::vector<bool>{true, false, false, false, true}));
    EXPECT_EQ(message(), "(hidden)");
}

TEST_F(ModKeyControlTest, TheOwnersActionWritesTheSettingAndTheSegmentsFollowIt) {
    using settings::Defaults::Keys;
    picker->setAction([](ui::Control& sender) {
        settings::Defaults::writeValue(Keys::secondaryModifier(),
                                       dynamic_cast<ModKeyControl&>(sender).flags);
    });
    picker->initialFlags = [] { return settings::Defaults::readValue(Keys::secondaryModifier()); };
    picker->flagsConstraints.push_back(
        [] { return settings::Defaults::readValue(Keys::generalModifier()); });
    assign(picker->initialFlags());
    EXPECT_EQ(picker->title(), "\u21E7");

    open();
    clickSegment(shiftSegment);  // shift off: empty, refused
    clickSegment(ctrlSegment);   // control alone: the general modifier's keys
    EXPECT_EQ(message(), "Keys already in use.");
    EXPECT_EQ(settings::Defaults::readValue(Keys::secondaryModifier()), shift);
    clickSegment(altSegment);
    EXPECT_EQ(message(), "(hidden)");
    EXPECT_EQ(settings::Defaults::readValue(Keys::secondaryModifier()), control | option);
    EXPECT_EQ(picker->title(), "\u2303 \u2325");
    picker->popover()->close();

    // Another tab changes the setting; the owner assigns it again when its tab appears.
    settings::Defaults::writeValue(Keys::secondaryModifier(), command);
    assign(picker->initialFlags());
    open();
    EXPECT_EQ(selected(), (std::vector<bool>{false, false, false, false, true}));
}

TEST_F(ModKeyControlTest, HeldKeysSelectTheirSegmentsAndReleasingKeepsTheCombination) {
    picker->disabledFlags = [] { return shift; };
    assign(command);
    open();

    keyPress(Qt::Key_Control);
    EXPECT_EQ(selected(), (std::vector<bool>{false, false, true, false, false}));
    EXPECT_EQ(picker->flags, control);
    keyPress(Qt::Key_Alt, Qt::ControlModifier);
    EXPECT_EQ(selected(), (std::vector<bool>{false, false, true, true, false}));
    EXPECT_EQ(picker->flags, control | option);
    EXPECT_EQ(picker->title(), "\u2303 \u2325");

    sent.clear();
    // Option goes up, then control.
    keyRelease(Qt::Key_Alt, Qt::ControlModifier);
    EXPECT_EQ(selected(), (std::vector<bool>{false, false, true, true, false}))
        << "releasing keeps the combination just held";
    EXPECT_EQ(sent, (std::vector{control | option, control | option}))
        << "each release applies it again";

    // A held key whose segment is disabled is not selected; the others follow the keys.
    keyPress(Qt::Key_Shift);
    EXPECT_FALSE(segments().isSelected(shiftSegment));
    EXPECT_EQ(selected(), (std::vector<bool>{false, false, false, false, false}));
    EXPECT_EQ(message(), "Keys cannot be empty.");
    EXPECT_EQ(picker->flags, control | option);
    keyRelease(Qt::Key_Shift);

    // Closed, the popover no longer watches the keys.
    picker->popover()->close();
    EXPECT_EQ(popover().monitor(), nullptr);
    sent.clear();
    QTest::keyPress(ui::qtWidget(*picker), Qt::Key_Meta);
    QTest::keyRelease(ui::qtWidget(*picker), Qt::Key_Meta);
    EXPECT_TRUE(sent.empty());
    EXPECT_EQ(picker->flags, control | option);
}

TEST_F(ModKeyControlTest, TheMonitorCountsEveryHeldBitAndPassesEveryEventOn) {
    assign(command);
    open();
    picker->maxMultiSelection = 1;
    // The right shift key: shift and the device's right-shift bit, two bits held.
    platform::NSEvent event;
    event.type = platform::NSEventType::flagsChanged;
    event.modifierFlags = platform::NSEventModifierFlags(0x20000 | 0x4);
    const auto passed = platform::passThroughLocalMonitors(event);
    ASSERT_TRUE(passed.has_value());
    EXPECT_EQ(*passed, event);
    EXPECT_EQ(popover().flagsDown(), 2);
    EXPECT_EQ(picker->flags, shift);
}

class ModKeyHintsTest : public ModKeyControlTest {
protected:
    ModKeyHintsTest() {
        delegate = app::AppDelegate::make({
            .statusItem = std::make_shared<app::RecordingStatusItem>(),
            .makePreferencesController =
                [this] {
                    preferences = std::make_shared<app::RecordingPreferencesController>();
                    return preferences;
                },
        });
        app::setAppDelegate(delegate);
    }
    ~ModKeyHintsTest() override { app::setAppDelegate(nullptr); }

    std::vector<std::string> calls() {
        return preferences ? preferences->calls() : std::vector<std::string>{};
    }

    std::shared_ptr<app::AppDelegate> delegate;
    std::shared_ptr<app::RecordingPreferencesController> preferences;
};

TEST_F(ModKeyHintsTest, TheLabelUnderlinesWhileHoveredAndItsClickOpensTheAdvancedTab) {
    auto label = std::make_shared<ModKeyTextField>("Modifier keys can be changed");
    window->contentView()->addSubview(label);
    label->setFrame({20, 100, 220, 20});
    window->contentView()->layoutSubtreeIfNeeded();
    EXPECT_EQ(label->cursor(), ui::Cursor::pointingHand);

    ui::testing::hover(*label, true);
    EXPECT_EQ(label->underlineStyle(), 1);
    ui::testing::hover(*label, false);
    EXPECT_EQ(label->underlineStyle(), 0);

    ui::testing::hover(*label, true);
    ui::testing::click(*label, QPoint(5, 5));
    EXPECT_EQ(calls(), (std::vector<std::string>{"showTab(advanced)"}));
    EXPECT_EQ(label->underlineStyle(), 0);
}

TEST_F(ModKeyHintsTest, AModifierImageOpensTheAdvancedTabAndWithoutTheApplicationNothing) {
    auto image = std::make_shared<ModKeyImageView>();
    image->setImage("GestureModG");
    window->contentView()->addSubview(image);
    image->setFrame({20, 100, 20, 20});
    window->contentView()->layoutSubtreeIfNeeded();
    EXPECT_EQ(image->cursor(), ui::Cursor::pointingHand);
    ui::testing::click(*image, QPoint(5, 5));
    EXPECT_EQ(calls(), (std::vector<std::string>{"showTab(advanced)"}));

    app::setAppDelegate(nullptr);
    ui::testing::click(*image, QPoint(5, 5));
    EXPECT_EQ(calls(), (std::vector<std::string>{"showTab(advanced)"}));
}

}  // namespace
}  // namespace zoral::preferences
