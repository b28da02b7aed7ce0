#pragma once

// The look of an action's tooltip: which tooltip window shows it, the symbol drawn in it, its
// tint, and how quickly it fades once the action has run.

#include <array>
#include <cstdint>
#include <ostream>
#include <string_view>

#include "platform/enum_table.h"

namespace zoral::engine {

// Selects the tooltip window that shows the action.
enum class TooltipShape : std::uint8_t { circle, window, spaces, screens };

// The symbol drawn in the tooltip; the raw values are the image names.
enum class TooltipImage : std::uint8_t {
    empty,
    filled,
    snapping,
    minus,
    minusInv,
    plus,
    plusInv,
    x,
    xInv,
    point,
    pointInv,
    zoom,
    zoomInv,
    arrowLeft,
    arrowLeftInv,
    arrowRight,
    arrowRightInv,
    arrowUp,
    arrowDown,
};

// The tint: the system's accent colour or one of the named colours.
enum class TooltipColorKind : std::uint8_t { accent, close, minimize, fullscreen };

struct TooltipStyle {
    TooltipShape shape = TooltipShape::circle;
    TooltipImage image = TooltipImage::empty;
    TooltipColorKind colour = TooltipColorKind::accent;
    // 1 for the full-screen actions, whose tooltips fade faster; 2 for every other.
    std::uint8_t variant = 2;

    friend constexpr bool operator==(const TooltipStyle&, const TooltipStyle&) = default;
};

std::ostream& operator<<(std::ostream& stream, const TooltipStyle& style);

}  // namespace zoral::engine

namespace zoral::platform {

template <>
struct EnumTable<engine::TooltipShape> {
    using enum engine::TooltipShape;
    static constexpr std::array<NamedCase<engine::TooltipShape>, 4> cases{{
        {circle, "circle"},
        {window, "window"},
        {spaces, "spaces"},
        {screens, "screens"},
    }};
};

static_assert(tableFollowsDeclarationOrder<engine::TooltipShape>());

template <>
struct EnumTable<engine::TooltipImage> {
    using enum engine::TooltipImage;
    static constexpr std::array<RawCase<engine::TooltipImage, std::string_view>, 19> cases{{
        {empty, "empty", "empty"},
        {filled, "filled", "filled"},
        {snapping, "snapping", "snapping"},
        {minus, "minus", "TooltipMinus"},
        {minusInv, "minusInv", "TooltipMinusInv"},
        {plus, "plus", "TooltipPlus"},
        {plusInv, "plusInv", "TooltipPlusInv"},
        {x, "x", "TooltipX"},
        {xInv, "xInv", "TooltipXInv"},
        {point, "point", "TooltipPoint"},
        {pointInv, "pointInv", "TooltipPointInv"},
        {zoom, "zoom", "TooltipZoom"},
        {zoomInv, "zoomInv", "TooltipZoomInv"},
        {arrowLeft, "arrowLeft", "TooltipArrowLeft"},
        {arrowLeftInv, "arrowLeftInv", "TooltipArrowLeftInv"},
        {arrowRight, "arrowRight", "TooltipArrowRight"},
        {arrowRightInv, "arrowRightInv", "TooltipArrowRightInv"},
        {arrowUp, "arrowUp", "TooltipArrowUp"},
        {arrowDown, "arrowDown", "TooltipArrowDown"},
    }};
};

static_assert(tableFollowsDeclarationOrder<engine::TooltipImage>());

template <>
struct EnumTable<engine::TooltipColorKind> {
    using enum engine::TooltipColorKind;
    static constexpr std::array<NamedCase<engine::TooltipColorKind>, 4> cases{{
        {accent, "accent"},
        {close, "close"},
        {minimize, "minimize"},
        {fullscreen, "fullscreen"},
    }};
};

static_assert(tableFollowsDeclarationOrder<engine::TooltipColorKind>());

}  // namespace zoral::platform
