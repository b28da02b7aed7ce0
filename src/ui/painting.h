#pragma once

// Painting the content model with the toolkit's painter; for the drawing code of ui/ only.

#include <QPainter>
#include <QRectF>

#include "ui/appearance.h"
#include "ui/layer.h"
#include "ui/visual_effect_view.h"

namespace zoral::ui {

QColor toQColor(const platform::RGBColor& colour);

// Fills the rectangle with a rounded rectangle of the radius (on both axes) in black; an image
// drawing handler, so it reports success.
bool drawRoundedRectFill(QPainter& painter, const QRectF& rect, double radius);

// A rectangle with only the corners in the mask rounded, in the painter's top-left coordinates
// (the mask's minY corners are the bottom ones).
QPainterPath roundedRectPath(const QRectF& rect, double radius, std::uint8_t maskedCorners);

// Paints the layer into a container of the height (layer frames have their origin at the bottom).
void paintLayer(QPainter& painter, const Layer& layer, double containerHeight);

// Paints the view filling a width x height area: the material's fill, then the layers, all shaped
// by the view's corner radius and its mask image.
void paintVisualEffectView(QPainter& painter, const VisualEffectView& view,
                           AppearanceName appearance, double width, double height);

}  // namespace zoral::ui
