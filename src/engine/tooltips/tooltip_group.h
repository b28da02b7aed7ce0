#pragma once

// The grouped tooltips: several tooltip windows arranged around the pointer, one per direction,
// the one in the action's direction drawn and the others left empty but visible. The screens
// tooltip has four windows on the midpoints of the edges of its box (for the actions that send a
// window, all windows or a space to another screen); the spaces tooltip has two side by side (for
// sending a window to the neighbouring space).

#include <memory>
#include <utility>
#include <vector>

#include "desktop/direction.h"
#include "engine/tooltips/tooltip_container.h"
#include "engine/tooltips/tooltip_window.h"

namespace zoral::engine {

class TooltipGroup : public TooltipContainer {
public:
    using Entry = std::pair<desktop::Direction, std::shared_ptr<TooltipWindow>>;

    // The windows in the order they were made and are placed.
    const std::vector<Entry>& windows() const { return windows_; }
    std::shared_ptr<TooltipWindow> window(desktop::Direction direction) const;
    // The size of each window, and of the box the group takes around the pointer.
    platform::CGSize size() const { return size_; }
    platform::CGSize totalSize() const { return totalSize_; }

    void moveTo(platform::CGPoint point) override;
    void show() override;
    void fade(double duration) override;
    void close() override;
    // Draws only the actions the group serves; any other leaves the windows as they are.
    void drawAction(const Action& action, bool state) override;
    void clearContent() override;

protected:
    TooltipGroup(const std::vector<desktop::Direction>& directions, platform::CGSize size,
                 platform::CGSize totalSize, double radius);
    virtual bool serves(const Action& action) const = 0;

private:
    std::vector<Entry> windows_;
    platform::CGSize size_;
    platform::CGSize totalSize_;
};

// Four 4s x 3s windows (radius s) up, left, right and down in a 12s x 9s box, for the tooltip
// size s.
class ScreensTooltipWindow final : public TooltipGroup {
public:
    explicit ScreensTooltipWindow(double s);

private:
    bool serves(const Action& action) const override;
};

// Two 6s x 4.5s windows (radius 1.5s) left and right in a 13s x 4.5s box.
class SpacesTooltipWindow final : public TooltipGroup {
public:
    explicit SpacesTooltipWindow(double s);

private:
    bool serves(const Action& action) const override;
};

}  // namespace zoral::engine
