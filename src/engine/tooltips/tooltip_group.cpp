#include "engine/tooltips/tooltip_group.h"

#include "engine/tooltips/tooltip_placement.h"

namespace zoral::engine {

using desktop::Direction;

TooltipGroup::TooltipGroup(const std::vector<Direction>& directions, platform::CGSize size,
                           platform::CGSize totalSize, double radius)
    : size_(size), totalSize_(totalSize) {
    for (const Direction direction : directions) {
        windows_.emplace_back(direction,
                              std::make_shared<TooltipWindow>(size.width, size.height, radius));
    }
}

std::shared_ptr<TooltipWindow> TooltipGroup::window(Direction direction) const {
    for (const auto& [served, window] : windows_) {
        if (served == direction)
            return window;
    }
    return nullptr;
}

void TooltipGroup::moveTo(platform::CGPoint point) {
    const platform::CGPoint centre = tooltipCentre(point, totalSize_);
    for (const auto& [direction, window] : windows_) {
        if (const auto origin = groupWindowOrigin(direction, centre, totalSize_, size_))
            window->setFrameOrigin(*origin);
    }
}

void TooltipGroup::show() {
    for (const auto& entry : windows_)
        entry.second->show();
}

void TooltipGroup::fade(double duration) {
    for (const auto& entry : windows_)
        entry.second->fade(duration);
}

void TooltipGroup::close() {
    for (const auto& entry : windows_)
        entry.second->close();
}

void TooltipGroup::clearContent() {
    for (const auto& entry : windows_)
        entry.second->clearContent();
}

void TooltipGroup::drawAction(const Action& action, bool state) {
    if (!serves(action))
        return;
    const auto target = action.direction();
    for (const auto& [direction, window] : windows_) {
        if (direction == target)
            window->drawAction(action, state);
        else
            window->clearContent();
    }
}

ScreensTooltipWindow::ScreensTooltipWindow(double s)
    : TooltipGroup({Direction::up, Direction::left, Direction::right, Direction::down},
                   {4 * s, 3 * s}, {12 * s, 9 * s}, s) {}

bool ScreensTooltipWindow::serves(const Action& action) const {
    using Kind = Action::Kind;
    const Kind kind = action.kind();
    return kind == Kind::sendToScreen || kind == Kind::sendAllToScreen ||
           kind == Kind::sendSpaceToScreen;
}

SpacesTooltipWindow::SpacesTooltipWindow(double s)
    : TooltipGroup({Direction::left, Direction::right}, {6 * s, 4.5 * s}, {13 * s, 4.5 * s},
                   1.5 * s) {}

bool SpacesTooltipWindow::serves(const Action& action) const {
    return action.kind() == Action::Kind::sendToSpace;
}

}  // namespace zoral::engine
