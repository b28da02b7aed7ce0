#include <QCheckBox>
#include <QSlider>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ui/box.h"
#include "ui/button.h"
#include "ui/pop_up_button.h"
#include "ui/segmented_control.h"
#include "ui/slider.h"
#include "ui/text_field.h"
#include "ui_world.h"
#include "widget_driver.h"

namespace zoral::ui {
namespace {

using testing::click;
using testing::key;

class ControlsTest : public testing::UiWorldTest {
protected:
    // Counts the actions a control sends.
    template <class ControlType>
    std::shared_ptr<ControlType> counted(std::shared_ptr<ControlType> control) {
        control->setAction([this](Control& sender) {
            ++actions;
            senders.push_back(&sender);
        });
        return control;
    }

    int actions = 0;
    std::vector<Control*> senders;
};

// Every control: what code sets sends nothing; what the user does sends the action once, with the
// control as sender and the new value in place when the action reads it.
TEST_F(ControlsTest, OnlyTheUsersChangeSendsTheAction) {
    struct Case {
        std::string what;
        std::shared_ptr<Control> control;
        std::function<void()> setFromCode;
        std::function<void()> userChange;
        std::function<bool()> changed;
    };
    const auto checkbox = counted(Button::checkbox("Haptic feedback"));
    const auto push = counted(Button::pushButton("Quit"));
    const auto slider = counted(std::make_shared<Slider>(1, 4, 2));
    slider->setNumberOfTickMarks(4);
    slider->setAllowsTickMarkValuesOnly(true);
    const auto popUp = counted(std::make_shared<PopUpButton>());
    for (const char* title : {"Esc", "⌫", "↩"})
        popUp->addItem({title, title, ""});
    const auto segments = counted(std::make_shared<SegmentedControl>(
        std::vector<std::string>{"shift", "fn", "ctrl", "alt", "cmd"}, SegmentTracking::selectAny));
    for (std::size_t i = 0; i < 5; ++i)
        segments->setWidth(42, i);

    const std::vector<Case> cases{
        {"checkbox", checkbox, [&] { checkbox->setState(ControlState::on); },
         [&] { click(*checkbox); }, [&] { return checkbox->state() == ControlState::off; }},
        {"push button", push, [&] { push->setTitle("Quit Now"); }, [&] { click(*push); },
         [] { return true; }},
        {"slider", slider, [&] { slider->setIntegerValue(3); },
         [&] { key(*slider, Qt::Key_Right); }, [&] { return slider->integerValue() == 4; }},
        {"pop-up", popUp, [&] { popUp->selectItem(0); }, [&] { key(*popUp, Qt::Key_Down); },
         [&] { return popUp->selectedItem() && popUp->selectedItem()->title == "⌫"; }},
        {"segmented control", segments, [&] { segments->setSelected(true, 1); },
         [&] {
             click(*segments, {42 * 2 + 20, 10});
         },
         [&] { return segments->isSelected(1) && segments->isSelected(2); }},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.what);
        actions = 0;
        senders.clear();
        row.setFromCode();
        EXPECT_EQ(actions, 0) << "setting from code sends nothing";
        row.userChange();
        EXPECT_EQ(actions, 1);
        ASSERT_EQ(senders.size(), 1U);
        EXPECT_EQ(senders[0], row.control.get());
        EXPECT_TRUE(row.changed()) << "the value is the user's when the action runs";
    }
}

TEST_F(ControlsTest, DisabledControlsAndSegmentsTakeNoClick) {
    const auto checkbox = counted(Button::checkbox("Hide cursor"));
    checkbox->setEnabled(false);
    click(*checkbox);
    EXPECT_EQ(checkbox->state(), ControlState::off);

    const auto segments = counted(std::make_shared<SegmentedControl>(
        std::vector<std::string>{"shift", "fn", "ctrl"}, SegmentTracking::selectAny));
    for (std::size_t i = 0; i < 3; ++i)
        segments->setWidth(42, i);
    segments->setEnabled(false, 1);
    segments->setSelected(true, 1);
    click(*segments, {42 + 20, 10});
    EXPECT_TRUE(segments->isSelected(1)) << "a disabled segment can show as selected";
    click(*segments, {20, 10});
    EXPECT_TRUE(segments->isSelected(0));
    EXPECT_TRUE(segments->isSelected(1)) << "select-any toggles segments on their own";
    EXPECT_EQ(actions, 1);

    segments->setTrackingMode(SegmentTracking::selectOne);
    click(*segments, {2 * 42 + 20, 10});
    EXPECT_EQ(segments->selectedSegment(), 2);
    EXPECT_FALSE(segments->isSelected(0)) << "select-one selects the clicked segment alone";
}

// The checkbox's state cycle, and a subclass that replaces it (a two-state checkbox that leaves
// the mixed state for on).
class NeverMixed final : public Button {
public:
    NeverMixed() : Button(ButtonKind::checkbox, "Unmixed") {}
    ControlState nextState() const override {
        return state() == ControlState::on ? ControlState::off : ControlState::on;
    }
};

TEST_F(ControlsTest, ACheckboxMovesToItsNextStateOnEachClick) {
    struct Case {
        std::string what;
        std::shared_ptr<Button> button;
        ControlState start;
        std::vector<ControlState> afterClicks;
    };
    auto threeState = Button::checkbox("Three");
    threeState->setAllowsMixedState(true);
    const std::vector<Case> cases{
        {"two states",
         Button::checkbox("Two"),
         ControlState::off,
         {ControlState::on, ControlState::off, ControlState::on}},
        {"two states from mixed",
         Button::checkbox("Two"),
         ControlState::mixed,
         {ControlState::on, ControlState::off}},
        {"three states",
         threeState,
         ControlState::on,
         {ControlState::off, ControlState::mixed, ControlState::on}},
        {"subclass from mixed",
         std::make_shared<NeverMixed>(),
         ControlState::mixed,
         {ControlState::on, ControlState::off, ControlState::on}},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.what);
        row.button->setState(row.start);
        EXPECT_EQ(row.button->state(), row.start);
        for (const ControlState expected : row.afterClicks) {
            click(*row.button);
            EXPECT_EQ(row.button->state(), expected);
        }
    }
}

TEST_F(ControlsTest, PerformClickIsTheUsersClick) {
    const auto checkbox = counted(Button::checkbox("Launch at login"));
    checkbox->performClick();
    EXPECT_EQ(checkbox->state(), ControlState::on);
    EXPECT_EQ(actions, 1);
}

TEST_F(ControlsTest, PopUpSelectsByTitleAndKeepsIdentifiersAndTips) {
    PopUpButton popUp;
    popUp.addItem({"←↑↓→", "arrows", "Arrow keys"});
    popUp.addItem({"WASD", "wasd", "WASD keys"});
    EXPECT_TRUE(popUp.selectItemWithTitle("WASD"));
    EXPECT_EQ(popUp.selectedItem(), (MenuItem{"WASD", "wasd", "WASD keys"}));
    EXPECT_FALSE(popUp.selectItemWithTitle("HJKL"));
    EXPECT_EQ(popUp.indexOfSelectedItem(), 1) << "an unknown title changes nothing";
    popUp.removeAllItems();
    EXPECT_EQ(popUp.selectedItem(), std::nullopt);
    EXPECT_EQ(popUp.indexOfSelectedItem(), -1);
}

TEST_F(ControlsTest, TheMouseOverAViewIsReported) {
    // A label that underlines itself while the pointer is over it, as a link does.
    class Link final : public TextField {
    public:
        Link() : TextField("Website") { setCursor(Cursor::pointingHand); }
        void mouseEntered(const Event&) override { setUnderlineStyle(1); }
        void mouseExited(const Event&) override { setUnderlineStyle(0); }
    };
    const auto link = std::make_shared<Link>();
    int clicks = 0;
    link->addClickHandler([&] { ++clicks; });
    testing::hover(*link, true);
    EXPECT_EQ(link->underlineStyle(), 1);
    EXPECT_TRUE(qtWidget(*link)->font().underline()) << "drawn underlined";
    EXPECT_EQ(qtWidget(*link)->cursor().shape(), Qt::PointingHandCursor);
    click(*link);
    EXPECT_EQ(clicks, 1);
    testing::hover(*link, false);
    EXPECT_EQ(link->underlineStyle(), 0);
}

// A view that takes the mouse down itself does not get the default behaviour: a button whose
// press opens something else instead of clicking.
TEST_F(ControlsTest, OverridingMouseDownReplacesTheButtonsOwnClick) {
    class Opener final : public Button {
    public:
        Opener() : Button(ButtonKind::push, "–") {}
        void mouseDown(const Event& event) override {
            ++presses;
            lastEvent = event;
        }
        int presses = 0;
        Event lastEvent;
    };
    const auto opener = counted(std::make_shared<Opener>());
    click(*opener);
    EXPECT_EQ(opener->presses, 1);
    EXPECT_EQ(opener->lastEvent.type, platform::NSEventType::leftMouseDown);
    EXPECT_EQ(actions, 0) << "the button's own click did not run";
}

}  // namespace
}  // namespace zoral::ui
