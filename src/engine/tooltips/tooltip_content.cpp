#include "engine/tooltips/tooltip_content.h"

#include <optional>
#include <string>

#include "ui/named_colors.h"

namespace zoral::engine {

namespace {

constexpr platform::RGBColor white{1, 1, 1, 1};

// The almost-maximised grid, drawn as the whole window.
constexpr GridPair almostMaximizedMatrix{20, 20};

ui::Layer coveringLayer(platform::CGSize windowSize, platform::RGBColor colour) {
    return {.frame = {0, 0, windowSize.width, windowSize.height}, .backgroundColor = colour};
}

}  // namespace

platform::RGBColor tooltipColour(const TooltipStyle& style, bool isEnabled,
                                 ui::AppearanceName appearance) {
    if (!isEnabled) {
        return ui::namedColor(tooltipColorName::inactive, appearance)
            .value_or(platform::systemGrayColor());
    }
    switch (style.colour) {
        case TooltipColorKind::accent:
            return platform::controlAccentColor().value_or(platform::systemBlueColor());
        case TooltipColorKind::close:
            return ui::namedColor(tooltipColorName::close, appearance).value_or(white);
        case TooltipColorKind::minimize:
            return ui::namedColor(tooltipColorName::minimize, appearance).value_or(white);
        case TooltipColorKind::fullscreen:
            return ui::namedColor(tooltipColorName::fullscreen, appearance).value_or(white);
    }
    return white;
}

ui::Layer spanLayer(const GridSpan& given, platform::CGSize windowSize, platform::RGBColor colour) {
    const GridSpan span =
        given.matrix == almostMaximizedMatrix ? GridSpan{{0, 0}, {1, 1}, {1, 1}} : given;
    // A grid without cells has nothing to show (and no proportions to show it in).
    if (span.matrix.x <= 0 || span.matrix.y <= 0)
        return {};
    const double W = windowSize.width;
    const double H = windowSize.height;
    const double columns = static_cast<double>(span.matrix.x);
    const double rows = static_cast<double>(span.matrix.y);

    const double width = W * static_cast<double>(span.end.x - span.start.x) / columns;
    const bool touchesLeft = span.start.x == 0;
    const bool touchesRight = span.end.x == span.matrix.x;
    const double x = touchesLeft ? 0 : touchesRight ? W - width : W / 2 - width / 2;

    // Rows count from the top; the layer's y counts from the bottom.
    const double height = H * static_cast<double>(span.end.y - span.start.y) / rows;
    const bool touchesTop = span.start.y == 0;
    const bool touchesBottom = span.end.y == span.matrix.y;
    const double y = touchesTop ? H - height : touchesBottom ? 0 : H / 2 - height / 2;

    std::uint8_t corners = ui::corner::all;
    if (touchesLeft)
        corners &= static_cast<std::uint8_t>(~(ui::corner::minXMinY | ui::corner::minXMaxY));
    if (touchesBottom)
        corners &= static_cast<std::uint8_t>(~(ui::corner::minXMinY | ui::corner::maxXMinY));
    if (touchesRight)
        corners &= static_cast<std::uint8_t>(~(ui::corner::maxXMinY | ui::corner::maxXMaxY));
    if (touchesTop)
        corners &= static_cast<std::uint8_t>(~(ui::corner::minXMaxY | ui::corner::maxXMaxY));

    return {.frame = {x, y, width, height},
            .backgroundColor = colour,
            .cornerRadius = W / 20,
            .maskedCorners = corners,
            .edgeAntialiasing = true};
}

ui::Layer contentLayer(const Action& action, bool isEnabled, platform::CGSize windowSize,
                       ui::AppearanceName appearance) {
    const TooltipStyle style = action.tooltipStyle();
    switch (style.image) {
        case TooltipImage::empty:
            return {};
        case TooltipImage::filled:
            return coveringLayer(windowSize, tooltipColour(style, isEnabled, appearance));
        case TooltipImage::snapping: {
            const auto span = action.span();
            if (!span)
                return {};
            return spanLayer(*span, windowSize, tooltipColour(style, isEnabled, appearance));
        }
        default: {
            ui::Layer symbol =
                coveringLayer(windowSize, tooltipColour(style, isEnabled, appearance));
            symbol.maskImage = std::string(platform::rawValue(style.image));
            return symbol;
        }
    }
}

}  // namespace zoral::engine
