#pragma once

// The General tab in a window of its own, on a desktop of the test's own, with the diagnostics made
// afresh; and the permission as the system announces it.

#include <memory>

#include "app/diagnostics/diagnostics.h"
#include "desktop/ax_access.h"
#include "engine/tooltips/tooltip_controller.h"
#include "preferences/tabs/general_tab.h"
#include "ui/color.h"
#include "ui/popover.h"
#include "ui/titled_window.h"
#include "ui_world.h"

namespace zoral::preferences::testing {

inline platform::RGBColor resolved(ui::SystemColor colour) {
    return ui::Color(colour).resolved(ui::systemAppearanceName());
}

class GeneralTabWorldTest : public ui::testing::UiWorldTest {
protected:
    GeneralTabWorldTest() { app::Diagnostics::reset(); }
    ~GeneralTabWorldTest() override {
        if (tab->popover())
            tab->popover()->close();
        if (window)
            window->close();
        app::Diagnostics::reset();
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

    void grantAccessibility(bool granted) {
        // Announced both ways, so that the process's monitor checks again whatever it saw last.
        world->setTrusted(!granted);
        world->setTrusted(granted);
        scheduler().advance(desktop::AXAccess::recheckDelay);
    }

    // The tooltip controller whose windows the tab rebuilds; none unless a test makes one.
    std::shared_ptr<engine::TooltipController> tooltips;
    std::shared_ptr<GeneralTabController> tab =
        std::make_shared<GeneralTabController>([this] { return tooltips; });
    std::shared_ptr<ui::TitledWindow> window;
};

}  // namespace zoral::preferences::testing
