#include "tooltip_world.h"

#include <algorithm>
#include <cmath>

namespace zoral::engine::testing {

namespace {

std::uint32_t channel(double value) {
    return static_cast<std::uint32_t>(std::lround(std::clamp(value, 0.0, 1.0) * 255));
}

}  // namespace

std::vector<const ui::Window*> windowsOf(const TooltipController& controller) {
    std::vector<const ui::Window*> windows;
    for (const auto shape : {TooltipShape::circle, TooltipShape::window}) {
        if (auto single = std::dynamic_pointer_cast<TooltipWindow>(controller.tooltips().at(shape)))
            windows.push_back(single.get());
    }
    for (const auto shape : {TooltipShape::spaces, TooltipShape::screens}) {
        if (auto group = std::dynamic_pointer_cast<TooltipGroup>(controller.tooltips().at(shape))) {
            for (const auto& entry : group->windows())
                windows.push_back(entry.second.get());
        }
    }
    windows.push_back(controller.liveWindow().get());
    return windows;
}

ui::Image screenshotOf(sim::World& world, const TooltipController& controller,
                       const CGRect& display, platform::RGBColor desktopColour) {
    ui::Image shot(static_cast<int>(display.width()), static_cast<int>(display.height()));
    for (std::uint32_t& pixel : shot.data()) {
        pixel = 0xFF000000u | (channel(desktopColour.red) << 16) |
                (channel(desktopColour.green) << 8) | channel(desktopColour.blue);
    }
    const auto windows = windowsOf(controller);
    const auto shown = sim::ProgramWindows::of(world).visible(world);
    for (auto it = shown.rbegin(); it != shown.rend(); ++it) {
        const auto found = std::find_if(windows.begin(), windows.end(), [&](const ui::Window* w) {
            return w->windowNumber() == it->number;
        });
        if (found == windows.end())
            continue;
        const ui::Image image = (*found)->render();
        // Bottom-left frames turn into rows from the top of the display.
        const int left = static_cast<int>(std::lround(it->frame.minX()));
        const int top = static_cast<int>(std::lround(display.height() - it->frame.maxY()));
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const platform::RGBColor over = image.pixel(x, y);
                const platform::RGBColor under = shot.pixel(left + x, top + y);
                const double a = over.alpha * it->alpha;
                const auto mix = [a](double o, double u) { return o * a + u * (1 - a); };
                shot.setArgb(left + x, top + y,
                             0xFF000000u | (channel(mix(over.red, under.red)) << 16) |
                                 (channel(mix(over.green, under.green)) << 8) |
                                 channel(mix(over.blue, under.blue)));
            }
        }
    }
    return shot;
}

}  // namespace zoral::engine::testing
