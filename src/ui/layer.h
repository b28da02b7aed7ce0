#pragma once

// The content model of the program's drawn windows, after the layers of the system's toolkit: a
// rectangle in its container (bottom-left origin, y upwards), an optional background colour,
// corner rounding chosen per corner, and an optional image whose opaque parts alone let the layer
// show. Windows keep layers as values and paint them; tests read them.

#include <cstdint>
#include <optional>
#include <string>

#include "platform/geometry.h"
#include "platform/system_colors.h"

namespace zoral::ui {

// The corners of a layer, with the toolkit's bits; minY is the bottom edge.
namespace corner {
inline constexpr std::uint8_t minXMinY = 1;
inline constexpr std::uint8_t maxXMinY = 2;
inline constexpr std::uint8_t minXMaxY = 4;
inline constexpr std::uint8_t maxXMaxY = 8;
inline constexpr std::uint8_t all = minXMinY | maxXMinY | minXMaxY | maxXMaxY;
}  // namespace corner

struct Layer {
    // Where the layer stands in its container.
    platform::CGRect frame;
    // None draws nothing of the layer itself (an empty layer).
    std::optional<platform::RGBColor> backgroundColor;
    double cornerRadius = 0;
    // Which corners the radius rounds.
    std::uint8_t maskedCorners = corner::all;
    bool edgeAntialiasing = false;
    // An image asset covering the layer, scaled to fill it with its proportions kept (cropping
    // what overflows): the layer shows only where the image is opaque. An asset that does not
    // exist lets nothing show.
    std::optional<std::string> maskImage;

    friend bool operator==(const Layer&, const Layer&) = default;
};

}  // namespace zoral::ui
