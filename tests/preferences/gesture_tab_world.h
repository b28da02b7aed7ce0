#pragma once

// A gesture tab (Windows, Snapping) in a window of its own, on one of the simulated desktops, and
// the user's hands on its modifier controls: a click opens the control's popover, a click on a
// segment toggles that key.

#include <QPoint>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "preferences/widgets/mod_key_control.h"
#include "settings/modifier_flags.h"
#include "ui/popover.h"
#include "ui/segmented_control.h"
#include "ui/titled_window.h"
#include "widget_driver.h"

namespace zoral::preferences::testing {

template <class Tab, class Desktop>
class GestureTabWorld : public Desktop {
protected:
    ~GestureTabWorld() override {
        if (window)
            window->close();
    }

    // Shows the window with the tab (made the first time, which loads the tab's view), which makes
    // the tab appear.
    void show() {
        if (!window)
            window = ui::TitledWindow::withContentViewController(tab);
        window->makeKeyAndOrderFront();
        window->contentView()->layoutSubtreeIfNeeded();
    }
    void hide() { window->orderOut(); }
    // A new tab in a new window, whose view loads from the settings as they are now.
    void reopen() {
        if (window)
            window->close();
        window.reset();
        tab = std::make_shared<Tab>();
        show();
    }

    // The user opens the control's popover and clicks the segments of the keys that differ from
    // what the segments show, so that exactly `keys` are selected; answers the popover's message
    // ("" when it is hidden) and closes the popover.
    static std::string pick(ModKeyControl& control, settings::ModifierFlags keys) {
        ui::testing::click(control);
        EXPECT_TRUE(control.popover()->isShown());
        const auto& segments = *control.popoverController()->segmentedControl();
        const auto& table = modifierKeys();
        for (std::size_t i = 0; i < table.size(); ++i) {
            if (segments.isSelected(i) != keys.contains(table[i].flags))
                ui::testing::click(segments, QPoint(static_cast<int>(42 * i + 20), 10));
        }
        const auto& message = *control.popoverController()->textField();
        std::string said = message.isHidden() ? "" : message.stringValue();
        control.popover()->close();
        return said;
    }

    std::shared_ptr<Tab> tab = std::make_shared<Tab>();
    std::shared_ptr<ui::TitledWindow> window;
};

}  // namespace zoral::preferences::testing
