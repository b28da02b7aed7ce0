// A sample of gesture rows and the modifier-key picker's popover drawn to PNG files
// (screenshots/ beside the test binary) for a person to look at.

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "preferences/widgets/gesture_view.h"
#include "preferences/widgets/mod_key_control.h"
#include "screenshots.h"
#include "settings/defaults.h"
#include "ui/event_pump.h"
#include "ui/titled_window.h"
#include "ui_world.h"
#include "widget_driver.h"

namespace zoral::preferences {
namespace {

using settings::ActionUserType;

class GestureScreenshotsTest : public ui::testing::UiWorldTest {
protected:
    ~GestureScreenshotsTest() override {
        if (window)
            window->close();
    }

    void showInWindow(const std::shared_ptr<ui::View>& content, platform::CGSize size) {
        window = std::make_shared<ui::TitledWindow>(size);
        window->setContentView(content);
        window->makeKeyAndOrderFront();
        ui::processToolkitEvents();
        content->layoutSubtreeIfNeeded();
    }

    std::shared_ptr<ui::TitledWindow> window;
    const std::string folder = "screenshots";
};

TEST_F(GestureScreenshotsTest, ASampleOfRows) {
    // Fullscreen is off, so its row shows faded.
    settings::Defaults::updateValue(
        settings::Defaults::Keys::actions(),
        [](settings::ActionUserTypeSet& kinds) { kinds.erase(ActionUserType::windowFullscreen); });
    using G = GestureImage;
    std::vector<std::shared_ptr<ui::View>> rows{
        std::make_shared<CenterGestureView>(
            ActionUserType::snapCenter, "Center", GestureIcon::snapUnsnap, GestureTint::zoral(),
            "Double tap to unsnap and/or center a window.",
            "Please make sure that the 'Smart zoom' option is checked.",
            GestureSequences{{G::tap}}),
        std::make_shared<GestureView>(
            ActionUserType::windowQuit, "Quit", GestureIcon::xInv, GestureTint::close(),
            "Pinch in twice to quit an application.", std::nullopt,
            GestureSequences{{G::inwards, G::inwards}, {G::modG, G::down}}),
        std::make_shared<GestureView>(ActionUserType::windowMinimize, "Minimize",
                                      GestureIcon::minus, GestureTint::minimize(),
                                      "Swipe down once to minimize a window.", std::nullopt,
                                      GestureSequences{{G::down}, {G::hold, G::down}}),
        std::make_shared<GestureView>(
            ActionUserType::windowFullscreen, "Fullscreen", GestureIcon::zoom,
            GestureTint::fullscreen(),
            "Pinch out or tap, hold and swipe up to enter or exit fullscreen mode.", std::nullopt,
            GestureSequences{{G::outwards}, {G::hold, G::up}}),
        std::make_shared<GestureView>(
            ActionUserType::screensMove, "Screens", GestureIcon::screens, GestureTint::zoral(),
            "Swipe up, down, left or right to move a window to the next screen in that direction.",
            std::nullopt, GestureSequences{{G::modS, G::left, G::up, G::down, G::right}}),
        std::make_shared<GestureView>(
            ActionUserType::snapThirds, "Thirds", GestureIcon::snapThirds, GestureTint::zoral(),
            "Swipe horizontally to switch between thirds and two-thirds.", std::nullopt,
            GestureSequences{{G::mod2, G::hold, G::left, G::right}}),
    };
    auto stack = std::make_shared<ui::StackView>(rows, ui::LayoutOrientation::vertical);
    stack->setAlignment(ui::StackAlignment::leading);
    stack->setSpacing(14);
    stack->setEdgeInsets({20, 20, 20, 20});
    showInWindow(stack, {620, 400});
    window->setTitle("Gesture rows");
    ui::testing::saveScreenshot(window->render(), folder, "gesture-rows");
}

TEST_F(GestureScreenshotsTest, ThePickerPopoverWithARefusal) {
    auto picker = std::make_shared<ModKeyControl>();
    picker->flags = settings::ModifierFlags::control | settings::ModifierFlags::option;
    picker->updateTitle();
    picker->disabledFlags = [] { return settings::ModifierFlags::function; };
    picker->maxMultiSelection = 2;
    auto content = std::make_shared<ui::View>();
    content->addSubview(picker);
    picker->setFrame({150, 20, 60, 22});
    showInWindow(content, {360, 160});
    window->setTitle("Modifier keys");
    ui::testing::click(*picker, QPoint(10, 10));
    ASSERT_TRUE(picker->popover()->isShown());
    ui::testing::saveScreenshot(picker->popover()->render(), folder, "modkey-popover");
    // The third key past the maximum: the message explains.
    auto& segments = *picker->popoverController()->segmentedControl();
    int x = 1;
    while (segments.segmentAt({static_cast<double>(x), 5}) != 4)
        ++x;
    ui::testing::click(segments, QPoint(x + 5, 5));
    ui::testing::saveScreenshot(picker->popover()->render(), folder, "modkey-popover-refused");
    ui::testing::saveScreenshot(window->render(), folder, "modkey-window");
    picker->popover()->close();
}

TEST_F(GestureScreenshotsTest, TheTwoDotsMidStep) {
    auto view = std::make_shared<MultiMotionView>();
    showInWindow(view, {120, 160});
    scheduler().advance(0.8);
    ui::testing::saveScreenshot(view->render(), folder, "multi-motion");
}

}  // namespace
}  // namespace zoral::preferences
