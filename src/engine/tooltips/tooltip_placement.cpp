#include "engine/tooltips/tooltip_placement.h"

#include <algorithm>

#include "desktop/screen.h"

namespace zoral::engine {

platform::CGPoint tooltipCentre(platform::CGPoint point, platform::CGSize size) {
    const auto display = desktop::screenContaining(point);
    if (!display)
        return point;
    const platform::CGRect& frame = display->frame();
    const double halfWidth = size.width / 2;
    const double halfHeight = size.height / 2;
    // max after min: a box larger than the display keeps its lower edges on the display's.
    return {std::max(std::min(point.x, frame.maxX() - halfWidth), frame.minX() + halfWidth),
            std::max(std::min(point.y, frame.maxY() - halfHeight), frame.minY() + halfHeight)};
}

std::optional<platform::CGPoint> groupWindowOrigin(desktop::Direction direction,
                                                   platform::CGPoint centre,
                                                   platform::CGSize totalSize,
                                                   platform::CGSize size) {
    const double w = size.width;
    const double h = size.height;
    const double W = totalSize.width;
    const double H = totalSize.height;
    switch (direction) {
        case desktop::Direction::up:
            return platform::CGPoint{centre.x - w / 2, centre.y + H / 2 - h};
        case desktop::Direction::left:
            return platform::CGPoint{centre.x - W / 2, centre.y - h / 2};
        case desktop::Direction::right:
            return platform::CGPoint{centre.x + W / 2 - w, centre.y - h / 2};
        case desktop::Direction::down:
            return platform::CGPoint{centre.x - w / 2, centre.y - H / 2};
        case desktop::Direction::inwards:
        case desktop::Direction::outwards:
            return std::nullopt;
    }
    return std::nullopt;
}

}  // namespace zoral::engine
