#include "preferences/tabs/general_tab.h"

#include <QWidget>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/app_delegate.h"
#include "app/status_bar_item_controller.h"
#include "app/status_menus.h"
#include "engine/tooltips/live_tooltip_window.h"
#include "engine/tooltips/tooltip_window.h"
#include "general_tab_world.h"
#include "platform/user_defaults.h"
#include "settings/defaults.h"
#include "sim/hands.h"
#include "sim/login_items.h"
#include "sim/status_bar.h"
#include "ui/box.h"
#include "ui/qt_view.h"
#include "widget_driver.h"

namespace zoral::preferences {
namespace {

using settings::MultitouchSensitivity;
using settings::Defaults::Keys;
using settings::Defaults::readValue;
using settings::Defaults::writeValue;
using ui::ControlState;
using ui::testing::click;
using ui::testing::key;

using testing::resolved;

class GeneralTabTest : public testing::GeneralTabWorldTest {};

// The base class: the sections in one column with separators between them, the column's width
// limits, and what the sidebar reads.
TEST_F(GeneralTabTest, StacksItsSectionsWithSeparatorsAsTheTabsView) {
    EXPECT_EQ(std::make_shared<GeneralTabController>()->stackView(), nullptr)
        << "none until the view loads";
    show();
    const auto& stack = tab->stackView();
    ASSERT_NE(stack, nullptr);
    EXPECT_EQ(tab->view(), stack);
    const auto& arranged = stack->arrangedSubviews();
    ASSERT_EQ(arranged.size(), 5U);
    EXPECT_EQ(arranged[0], tab->generalView());
    EXPECT_EQ(arranged[2], tab->gestureView());
    EXPECT_EQ(arranged[4], tab->tooltipView());
    for (const std::size_t i : {1U, 3U}) {
        const auto* separator = dynamic_cast<const ui::Box*>(arranged[i].get());
        ASSERT_NE(separator, nullptr);
        EXPECT_EQ(separator->boxType(), ui::BoxType::separator);
    }
    EXPECT_EQ(stack->orientation(), ui::LayoutOrientation::vertical);
    EXPECT_EQ(stack->alignment(), ui::StackAlignment::leading);
    EXPECT_EQ(stack->spacing(), 16);

    // The column is never narrower than 400 points, nor a section wider than 700.
    window->setContentSize({300, 700});
    stack->layoutSubtreeIfNeeded();
    EXPECT_GE(stack->frame().width(), 400);
    window->setContentSize({1200, 700});
    stack->layoutSubtreeIfNeeded();
    for (const auto& section : arranged)
        EXPECT_LE(section->frame().width(), 700);

    EXPECT_EQ(tab->tabTitle(), "General");
    EXPECT_EQ(tab->imageName(), "PrefsGeneral");
    EXPECT_EQ(tab->symbolName(), "gearshape");
    EXPECT_EQ(tab->nibName(), "GeneralTab");
}

// The controls start from the settings as they are when the view loads.
TEST_F(GeneralTabTest, FillsItsControlsFromTheSettings) {
    writeValue(Keys::hapticFeedback(), false);
    writeValue(Keys::scrollingSensitivity(), MultitouchSensitivity::monterey);
    writeValue(Keys::tapAndHold(), false);
    writeValue(Keys::cancelTimeout(), std::int64_t{1500});
    writeValue(Keys::tooltipShow(), false);
    writeValue(Keys::tooltipLive(), false);
    writeValue(Keys::tooltipHideCursor(), true);
    writeValue(Keys::tooltipSize(), std::int64_t{7});
    show();
    EXPECT_EQ(tab->hapticCheckbox()->state(), ControlState::off);
    EXPECT_EQ(tab->sensitivitySlider()->integerValue(), 4);
    EXPECT_EQ(tab->sensitivityLabel()->stringValue(), "Ultra Snappy");
    EXPECT_EQ(tab->tapHoldCheckbox()->state(), ControlState::off);
    EXPECT_EQ(tab->timeoutSlider()->integerValue(), 1500);
    EXPECT_EQ(tab->timeoutLabel()->stringValue(), "1.5 Seconds");
    EXPECT_EQ(tab->tooltipEnableCheckbox()->state(), ControlState::off);
    EXPECT_EQ(tab->tooltipLiveCheckbox()->state(), ControlState::off);
    EXPECT_EQ(tab->hideCursorCheckbox()->state(), ControlState::on);
    EXPECT_FALSE(tab->hideCursorCheckbox()->isEnabled());
    EXPECT_EQ(tab->tooltipSizeSlider()->integerValue(), 7);
}

// Each checkbox writes its setting the moment the user clicks it, both ways.
TEST_F(GeneralTabTest, EachCheckboxWritesItsSetting) {
    show();
    struct Case {
        const char* what;
        std::shared_ptr<ui::Button> checkbox;
        const settings::Defaults::Key<bool>& key;
    };
    const std::vector<Case> cases{
        {"menu-bar icon", tab->menubarCheckbox(), Keys::showInMenubar()},
        {"haptics", tab->hapticCheckbox(), Keys::hapticFeedback()},
        {"tap and hold", tab->tapHoldCheckbox(), Keys::tapAndHold()},
        {"tooltips", tab->tooltipEnableCheckbox(), Keys::tooltipShow()},
        {"live tooltips", tab->tooltipLiveCheckbox(), Keys::tooltipLive()},
        {"hide the cursor", tab->hideCursorCheckbox(), Keys::tooltipHideCursor()},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.what);
        ASSERT_EQ(row.checkbox->state(), ControlState::on) << "every one is on by default";
        click(*row.checkbox);
        EXPECT_FALSE(readValue(row.key));
        click(*row.checkbox);
        EXPECT_TRUE(readValue(row.key));
    }
}

// The slider stores the raw value of its position, 1 to 4, and names it.
TEST_F(GeneralTabTest, TheSensitivitySliderStoresItsPositionAndNamesIt) {
    writeValue(Keys::scrollingSensitivity(), MultitouchSensitivity::monterey);
    show();
    const auto& slider = *tab->sensitivitySlider();
    struct Step {
        Qt::Key key;
        MultitouchSensitivity stored;
        const char* label;
    };
    const std::vector<Step> steps{
        {Qt::Key_Home, MultitouchSensitivity::low, "Not So Snappy"},
        {Qt::Key_Right, MultitouchSensitivity::medium, "Kinda Snappy"},
        {Qt::Key_Right, MultitouchSensitivity::high, "Very Snappy"},
        {Qt::Key_End, MultitouchSensitivity::monterey, "Ultra Snappy"},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.label);
        key(slider, step.key);
        EXPECT_EQ(readValue(Keys::scrollingSensitivity()), step.stored);
        EXPECT_EQ(platform::UserDefaults::standard().integerForKey("scrollingSensitivity"),
                  slider.integerValue());
        EXPECT_EQ(tab->sensitivityLabel()->stringValue(), step.label);
    }
}

// Positions outside 1 to 4 (which the slider does not offer) stand for high.
TEST(GeneralTabSensitivity, PositionsOutsideTheScaleStandForHigh) {
    for (const std::int64_t position : {-1, 0, 5, 100}) {
        EXPECT_EQ(sensitivityForSliderValue(position), MultitouchSensitivity::high) << position;
    }
    EXPECT_EQ(sensitivityName(sensitivityForSliderValue(0)), "Very Snappy");
}

TEST_F(GeneralTabTest, TheTimeoutSliderStoresMillisecondsAndShowsSeconds) {
    show();
    const auto& slider = *tab->timeoutSlider();
    EXPECT_EQ(tab->timeoutLabel()->stringValue(), "0.8 Seconds");
    struct Step {
        Qt::Key key;
        std::int64_t stored;
        const char* label;
    };
    const std::vector<Step> steps{
        {Qt::Key_Right, 900, "0.9 Seconds"},
        {Qt::Key_Right, 1000, "1.0 Seconds"},
        {Qt::Key_End, 2000, "2.0 Seconds"},
        {Qt::Key_Home, 200, "0.2 Seconds"},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.label);
        key(slider, step.key);
        EXPECT_EQ(readValue(Keys::cancelTimeout()), step.stored);
        EXPECT_EQ(tab->timeoutLabel()->stringValue(), step.label);
    }
}

// Turning tooltips off disables the hide-cursor box and keeps its state; the other tooltip
// controls stay usable.
TEST_F(GeneralTabTest, TooltipsOffDisableOnlyTheHideCursorBox) {
    show();
    click(*tab->hideCursorCheckbox());
    ASSERT_EQ(tab->hideCursorCheckbox()->state(), ControlState::off);
    click(*tab->tooltipEnableCheckbox());
    EXPECT_FALSE(readValue(Keys::tooltipShow()));
    EXPECT_FALSE(tab->hideCursorCheckbox()->isEnabled());
    EXPECT_EQ(tab->hideCursorCheckbox()->state(), ControlState::off);
    EXPECT_TRUE(tab->tooltipLiveCheckbox()->isEnabled());
    EXPECT_TRUE(tab->tooltipSizeSlider()->isEnabled());
    click(*tab->hideCursorCheckbox());
    EXPECT_FALSE(readValue(Keys::tooltipHideCursor())) << "a disabled box takes no click";
    click(*tab->tooltipEnableCheckbox());
    EXPECT_TRUE(tab->hideCursorCheckbox()->isEnabled());
    EXPECT_EQ(tab->hideCursorCheckbox()->state(), ControlState::off);
}

// A new tooltip size rebuilds the tooltip windows at once, at that size.
TEST_F(GeneralTabTest, TheTooltipSizeRebuildsTheTooltipWindows) {
    tooltips = engine::TooltipController::make(std::make_shared<engine::LiveTooltipWindow>());
    show();
    const auto circle = [&] {
        return std::dynamic_pointer_cast<engine::TooltipWindow>(
            tooltips->tooltips().at(engine::TooltipShape::circle));
    };
    const auto before = circle();
    ASSERT_EQ(before->size().width, 5 * 5);
    key(*tab->tooltipSizeSlider(), Qt::Key_Right);
    EXPECT_EQ(readValue(Keys::tooltipSize()), 6);
    EXPECT_NE(circle(), before);
    EXPECT_EQ(circle()->size().width, 5 * 6);
}

// Launch at login asks the system's login items; the box shows what the system reports each
// time the tab appears.
TEST_F(GeneralTabTest, LaunchAtLoginFollowsTheSystemsLoginItems) {
    auto& items = sim::LoginItems::of(*world);
    items.setServiceStatus(platform::SMAppServiceStatus::enabled);
    show();
    EXPECT_EQ(tab->launchAtLoginCheckbox()->state(), ControlState::on);
    click(*tab->launchAtLoginCheckbox());
    EXPECT_EQ(items.serviceStatus(), platform::SMAppServiceStatus::notRegistered);
    click(*tab->launchAtLoginCheckbox());
    EXPECT_EQ(items.serviceStatus(), platform::SMAppServiceStatus::enabled);

    hide();
    items.setServiceStatus(platform::SMAppServiceStatus::requiresApproval);
    show();
    EXPECT_EQ(tab->launchAtLoginCheckbox()->state(), ControlState::off);
}

// The menu-bar icon's visibility, changed elsewhere, shows in the box while the tab is visible,
// and is read again when it appears.
TEST_F(GeneralTabTest, FollowsTheMenuBarIconOnlyWhileVisible) {
    show();
    EXPECT_EQ(tab->menubarCheckbox()->state(), ControlState::on);
    writeValue(Keys::showInMenubar(), false);
    EXPECT_EQ(tab->menubarCheckbox()->state(), ControlState::off);

    hide();
    writeValue(Keys::showInMenubar(), true);
    EXPECT_EQ(tab->menubarCheckbox()->state(), ControlState::off) << "not followed while hidden";
    show();
    EXPECT_EQ(tab->menubarCheckbox()->state(), ControlState::on);
    writeValue(Keys::showInMenubar(), false);
    EXPECT_EQ(tab->menubarCheckbox()->state(), ControlState::off);
}

// The box shows and hides the program's item in the status bar; taking the item out of the bar
// by hand unticks the box while the tab is visible.
TEST_F(GeneralTabTest, TheMenuBarBoxShowsAndHidesTheStatusItem) {
    const app::MainNib nib = app::loadMainNib();
    const auto statusItem = std::make_shared<app::StatusBarItemController>(nib.statusMenu);
    auto delegate = app::AppDelegate::make({.statusItem = statusItem});
    app::setAppDelegate(delegate);
    statusItem->setUpStatusItem();
    const auto item = statusItem->statusItem();
    ASSERT_TRUE(item);
    auto& bar = sim::SystemStatusBar::of(*world);
    show();

    click(*tab->menubarCheckbox());
    EXPECT_FALSE(readValue(Keys::showInMenubar()));
    EXPECT_FALSE(item->isVisible());
    EXPECT_FALSE(bar.frameOf(*item));
    click(*tab->menubarCheckbox());
    EXPECT_TRUE(readValue(Keys::showInMenubar()));
    EXPECT_TRUE(item->isVisible());
    EXPECT_TRUE(bar.frameOf(*item));

    auto& hands = sim::Hands::of(*world);
    ASSERT_TRUE(hands.dragStatusItemOut(*item));
    while (hands.isBusy())
        scheduler().advance(sim::Hands::defaultInterval);
    scheduler().advance(0.2);
    EXPECT_FALSE(item->isVisible());
    EXPECT_EQ(tab->menubarCheckbox()->state(), ControlState::off);

    // Hidden, the tab no longer follows; it reads the setting again when it appears.
    click(*tab->menubarCheckbox());
    ASSERT_TRUE(item->isVisible());
    hide();
    ASSERT_TRUE(hands.dragStatusItemOut(*item));
    while (hands.isBusy())
        scheduler().advance(sim::Hands::defaultInterval);
    scheduler().advance(0.2);
    EXPECT_EQ(tab->menubarCheckbox()->state(), ControlState::on);
    show();
    EXPECT_EQ(tab->menubarCheckbox()->state(), ControlState::off);

    // Without a delegate the box stores the setting and leaves the item alone.
    app::resetAppState();
    click(*tab->menubarCheckbox());
    EXPECT_TRUE(readValue(Keys::showInMenubar()));
    EXPECT_FALSE(item->isVisible());
    delegate.reset();
}

// Without the permission the prompt and the explanation show and the light is red; granting it
// turns the light green and hides both while the window stays open.
TEST_F(GeneralTabTest, ThePermissionLightFollowsThePermissionLive) {
    grantAccessibility(false);
    show();
    EXPECT_FALSE(tab->accessibilityPrompt()->isHidden());
    EXPECT_FALSE(tab->accessibilityLabel()->isHidden());
    EXPECT_EQ(tab->accessibilityStatus()->contentTintColor(), resolved(ui::SystemColor::systemRed));

    const int prompts = world->trustPrompts();
    click(*tab->accessibilityPrompt());
    EXPECT_EQ(world->trustPrompts(), prompts + 1);

    grantAccessibility(true);
    EXPECT_TRUE(tab->accessibilityPrompt()->isHidden());
    EXPECT_TRUE(tab->accessibilityLabel()->isHidden());
    EXPECT_EQ(tab->accessibilityStatus()->contentTintColor(),
              resolved(ui::SystemColor::systemGreen));
}

}  // namespace
}  // namespace zoral::preferences
