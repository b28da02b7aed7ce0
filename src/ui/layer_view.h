#pragma once

// A layer-backed view after the toolkit's: what it shows is a tree of shape layers, each a
// rectangle in its container's coordinates (the view's for the top layers) with an optional
// background, a corner radius, a border and an opacity that multiplies into its sublayers'. The
// view's coordinates are flipped like every view's: the origin is the top-left corner. Setting
// the layers redraws the view. Main thread only.

#include <optional>
#include <string>
#include <vector>

#include "platform/geometry.h"
#include "platform/system_colors.h"
#include "ui/view.h"

namespace zoral::ui {

struct ShapeLayer {
    std::string name;
    // Where the layer stands in its container, top-left origin.
    platform::CGRect frame;
    std::optional<platform::RGBColor> backgroundColor;
    double cornerRadius = 0;
    double borderWidth = 0;
    std::optional<platform::RGBColor> borderColor;
    double opacity = 1;
    // Drawn after the layer itself, in order, in its coordinates.
    std::vector<ShapeLayer> sublayers;

    friend bool operator==(const ShapeLayer&, const ShapeLayer&) = default;
};

class LayerView : public View {
public:
    LayerView();

    const std::vector<ShapeLayer>& layers() const { return layers_; }
    void setLayers(std::vector<ShapeLayer> layers);

private:
    std::vector<ShapeLayer> layers_;
};

}  // namespace zoral::ui
