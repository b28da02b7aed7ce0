#pragma once

// A desktop for the tooltip tests: the snapping tests' desktop (a 1440 x 900 laptop display and,
// on request, a 1920 x 1080 display to its right; the settings at their defaults in a home of the
// test's own; an editor whose windows the tests add), with the program as a process of the world,
// allowed to change the cursor from the background as the program asks at start, and a tooltip
// controller of the test's own with its own live window.

#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

#include <gtest/gtest.h>

#include "engine/tooltips/live_tooltip_window.h"
#include "engine/tooltips/tooltip_controller.h"
#include "engine/tooltips/tooltip_group.h"
#include "engine/tooltips/tooltip_window.h"
#include "engine/windows/snap_world.h"
#include "platform/cursor.h"
#include "settings/defaults.h"
#include "settings/defaults_keys.h"
#include "sim/cursor.h"
#include "sim/displays.h"
#include "sim/program_windows.h"
#include "ui/image.h"

namespace zoral::engine::testing {

using platform::CGPoint;
using platform::CGRect;
using platform::CGSize;

// Every window of the controller, the live one last.
std::vector<const ui::Window*> windowsOf(const TooltipController& controller);

// The display (top-left frame) as the user sees it: a plain desktop in the colour, and the
// controller's windows that the world shows over it, back to front, at their frames and alpha.
ui::Image screenshotOf(sim::World& world, const TooltipController& controller,
                       const CGRect& display, platform::RGBColor desktopColour);

class TooltipWorldTest : public SnapWorldTest {
protected:
    TooltipWorldTest() {
        world->programProcess();
        platform::setSetsCursorInBackground(true);
        controller = TooltipController::make(std::make_shared<LiveTooltipWindow>());
    }
    ~TooltipWorldTest() override { controller.reset(); }

    template <class Value>
    static void set(const settings::Defaults::Key<Value>& key, const Value& value) {
        settings::Defaults::writeValue(key, value);
    }

    // --- The controller's containers
    std::shared_ptr<TooltipWindow> circle() const { return single(TooltipShape::circle); }
    std::shared_ptr<TooltipWindow> windowTooltip() const { return single(TooltipShape::window); }
    std::shared_ptr<TooltipGroup> group(TooltipShape shape) const {
        return container<TooltipGroup>(shape);
    }
    std::shared_ptr<LiveTooltipWindow> live() const { return controller->liveWindow(); }

    // Every window of the controller, the live one last.
    std::vector<const ui::Window*> allWindows() const { return windowsOf(*controller); }

    // --- What the user sees
    std::vector<sim::ProgramWindow> seen() const {
        return sim::ProgramWindows::of(*world).visible(*world);
    }
    std::optional<sim::ProgramWindow> seen(const ui::Window& window) const {
        for (const auto& shown : seen()) {
            if (shown.number == window.windowNumber())
                return shown;
        }
        return std::nullopt;
    }
    sim::Cursor& cursor() const { return sim::Cursor::of(*world); }

    // The laptop's display as the user sees it: a plain desktop in the colour, and the program's
    // windows over it, back to front, at their frames and alpha.
    ui::Image screenshot(platform::RGBColor desktopColour) const {
        return screenshotOf(*world, *controller, laptop().frame, desktopColour);
    }

    std::shared_ptr<TooltipController> controller;

private:
    std::shared_ptr<TooltipWindow> single(TooltipShape shape) const {
        return container<TooltipWindow>(shape);
    }
    // The container under the shape, of the type the controller makes for it.
    template <class Container>
    std::shared_ptr<Container> container(TooltipShape shape) const {
        auto found = std::dynamic_pointer_cast<Container>(controller->tooltips().at(shape));
        if (!found)
            throw std::logic_error("the controller holds another kind of container");
        return found;
    }
};

}  // namespace zoral::engine::testing
