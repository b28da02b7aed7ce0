#pragma once

// The Advanced tab in a window of its own, beside the running program: the application delegate
// launched on the repository's default world (so the tab's engine rebuilds reach a real engine
// and its event taps), the tab made as the preferences window makes it, and the user's hands on
// the window through the toolkit's test events.

#include <QApplication>
#include <QGuiApplication>
#include <QTest>
#include <QWidget>
#include <QWindow>
#include <memory>
#include <string>
#include <vector>

#include "../app/app_world.h"
#include "platform/events.h"
#include "preferences/tabs/advanced_tab.h"
#include "preferences/widgets/mod_key_control.h"
#include "settings/modifier_flags.h"
#include "sim/event_taps.h"
#include "sim/journal.h"
#include "ui/event_pump.h"
#include "ui/qt_view.h"
#include "ui/titled_window.h"
#include "widget_driver.h"

namespace zoral::preferences::testing {

class AdvancedTabWorldTest : public app::testing::AppWorldTest {
protected:
    ~AdvancedTabWorldTest() override {
        if (window)
            window->close();
        window.reset();
        tab.reset();
    }

    // Shows the window with the tab (made the first time, which loads the tab's view), which makes
    // the tab appear; the window becomes the active one.
    void show() {
        if (!window) {
            window = ui::TitledWindow::withContentViewController(tab);
            window->setTitle("Advanced");
        }
        window->makeKeyAndOrderFront();
        window->contentView()->layoutSubtreeIfNeeded();
        ui::qtWidget(*window->contentView())->window()->activateWindow();
        settle();
    }
    void hide() {
        window->orderOut();
        settle();
    }

    // The toolkit's events and the main queue's work, without moving the clock.
    void settle() {
        ui::processToolkitEvents();
        scheduler().runUntilIdle();
    }

    void click(const ui::View& view) {
        ui::testing::click(view);
        settle();
    }
    void key(const ui::View& view, Qt::Key key) {
        ui::testing::key(view, key);
        settle();
    }
    // A click the window system delivers to the window at the view's centre (activating it
    // first), as a user's click that moves the focus.
    void clickInWindow(const ui::View& view) {
        QWidget* widget = ui::qtWidget(view);
        QWindow* target = widget->window()->windowHandle();
        if (QGuiApplication::focusWindow() != target) {
            target->requestActivate();
            ui::processToolkitEvents();
        }
        QTest::mouseClick(target, Qt::LeftButton, Qt::NoModifier,
                          widget->mapTo(widget->window(), widget->rect().center()));
        settle();
    }
    // A key pressed and released in the active window, which hands it to the focused widget.
    void type(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWindow* target = QGuiApplication::focusWindow();
        ASSERT_NE(target, nullptr);
        QTest::keyClick(target, key, modifiers);
        settle();
    }

    // The user opens the control's popover, clicks its key segments until exactly the keys are
    // selected (those to drop first, then those to add), and closes it. Answers the popover's
    // message line as it was before closing: empty when the last combination was accepted.
    std::string chooseKeys(ModKeyControl& control, settings::ModifierFlags keys) {
        click(control);
        EXPECT_TRUE(control.popover()->isShown());
        const auto& popover = *control.popoverController();
        const auto& segments = *popover.segmentedControl();
        const auto& table = modifierKeys();
        for (const bool adding : {false, true}) {
            for (std::size_t i = 0; i < table.size(); ++i) {
                const bool wanted = keys.contains(table[i].flags);
                if (segments.isSelected(i) != wanted && wanted == adding) {
                    ui::testing::click(segments, QPoint(static_cast<int>(i) * 42 + 20, 10));
                    settle();
                }
            }
        }
        const std::string message =
            popover.textField()->isHidden() ? "" : popover.textField()->stringValue();
        control.popover()->close();
        settle();
        return message;
    }

    sim::EventTaps& taps() const { return sim::EventTaps::of(*world); }
    std::size_t tapsMade() const { return taps().allTaps().size(); }
    std::vector<platform::CFMachPortRef> liveTaps() const { return taps().liveTaps(); }

    std::shared_ptr<AdvancedTabController> tab = std::make_shared<AdvancedTabController>();
    std::shared_ptr<ui::TitledWindow> window;
};

}  // namespace zoral::preferences::testing
