#include "ui/layer_view.h"

#include <QPainter>
#include <QPainterPath>

#include "ui/painting.h"
#include "ui/qt_view.h"

namespace zoral::ui {

namespace {

void paintShape(QPainter& painter, const ShapeLayer& layer, double parentOpacity) {
    const double opacity = parentOpacity * layer.opacity;
    if (opacity <= 0)
        return;
    const platform::CGRect& frame = layer.frame;
    const QRectF rect(frame.minX(), frame.minY(), frame.width(), frame.height());
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setOpacity(opacity);
    if (!rect.isEmpty()) {
        QPainterPath path;
        path.addRoundedRect(rect, layer.cornerRadius, layer.cornerRadius);
        if (layer.backgroundColor)
            painter.fillPath(path, toQColor(*layer.backgroundColor));
        if (layer.borderColor && layer.borderWidth > 0) {
            // The border lies inside the bounds, as the toolkit draws it.
            const double half = layer.borderWidth / 2;
            QPainterPath inner;
            inner.addRoundedRect(rect.adjusted(half, half, -half, -half),
                                 std::max(0.0, layer.cornerRadius - half),
                                 std::max(0.0, layer.cornerRadius - half));
            QPen pen(toQColor(*layer.borderColor));
            pen.setWidthF(layer.borderWidth);
            painter.strokePath(inner, pen);
        }
    }
    painter.translate(rect.topLeft());
    for (const ShapeLayer& sublayer : layer.sublayers)
        paintShape(painter, sublayer, opacity);
    painter.restore();
}

class LayerWidget final : public ForwardingWidget<QWidget> {
public:
    explicit LayerWidget(View& owner) : ForwardingWidget<QWidget>(owner) {}

protected:
    void paintEvent(QPaintEvent*) override {
        const auto& view = dynamic_cast<const LayerView&>(owner());
        QPainter painter(this);
        for (const ShapeLayer& layer : view.layers())
            paintShape(painter, layer, 1);
    }
};

}  // namespace

LayerView::LayerView() : View(std::make_unique<LayerWidget>(*this)) {}

void LayerView::setLayers(std::vector<ShapeLayer> layers) {
    if (layers == layers_)
        return;
    layers_ = std::move(layers);
    qtWidget(*this)->update();
}

}  // namespace zoral::ui
