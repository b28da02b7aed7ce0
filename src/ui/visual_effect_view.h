#pragma once

// The content view of the program's translucent windows, after the system's visual-effect view: a
// material (drawn as a tinted translucent fill), a mask image that shapes the whole view, the
// corner radius of its own layer, and the content layers drawn above the fill.

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/geometry.h"
#include "ui/appearance.h"
#include "ui/layer.h"

namespace zoral::ui {

// An image that masks the view: a rounded rectangle of the radius filled in black
// (drawRoundedRectFill), with cap insets that keep its corners when it is stretched.
struct MaskImage {
    platform::CGSize size;
    double cornerRadius = 0;
    // The same inset on all four sides.
    double capInsets = 0;
    enum class ResizingMode : std::uint8_t { tile = 0, stretch = 1 };
    ResizingMode resizingMode = ResizingMode::tile;

    friend bool operator==(const MaskImage&, const MaskImage&) = default;
};

struct VisualEffectView {
    // The toolkit's numbers for the state and the blending.
    enum class State : std::uint8_t { followsWindowActiveState = 0, active = 1, inactive = 2 };
    enum class BlendingMode : std::uint8_t { behindWindow = 0, withinWindow = 1 };

    Material material = Material::contentBackground;
    State state = State::followsWindowActiveState;
    BlendingMode blendingMode = BlendingMode::behindWindow;
    // Without a layer, content layers cannot be inserted.
    bool wantsLayer = true;
    double cornerRadius = 0;
    bool edgeAntialiasing = false;
    std::optional<MaskImage> maskImage;
    // Sublayers of the view's layer, back to front.
    std::vector<Layer> sublayers;

    friend bool operator==(const VisualEffectView&, const VisualEffectView&) = default;
};

}  // namespace zoral::ui
