#include "ui/painting.h"

#include <QImage>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

#include "ui/image_assets.h"
#include "ui/qt_image.h"

namespace zoral::ui {

QColor toQColor(const platform::RGBColor& colour) {
    return QColor::fromRgbF(static_cast<float>(colour.red), static_cast<float>(colour.green),
                            static_cast<float>(colour.blue), static_cast<float>(colour.alpha));
}

bool drawRoundedRectFill(QPainter& painter, const QRectF& rect, double radius) {
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    painter.fillPath(path, Qt::black);
    return true;
}

QPainterPath roundedRectPath(const QRectF& rect, double radius, std::uint8_t maskedCorners) {
    const double r = std::clamp(radius, 0.0, std::min(rect.width(), rect.height()) / 2);
    // Top-left coordinates: the layer's maxY corners are the top ones.
    const double topLeft = (maskedCorners & corner::minXMaxY) ? r : 0;
    const double topRight = (maskedCorners & corner::maxXMaxY) ? r : 0;
    const double bottomRight = (maskedCorners & corner::maxXMinY) ? r : 0;
    const double bottomLeft = (maskedCorners & corner::minXMinY) ? r : 0;
    QPainterPath path;
    path.moveTo(rect.left() + topLeft, rect.top());
    path.lineTo(rect.right() - topRight, rect.top());
    if (topRight > 0)
        path.arcTo(rect.right() - 2 * topRight, rect.top(), 2 * topRight, 2 * topRight, 90, -90);
    path.lineTo(rect.right(), rect.bottom() - bottomRight);
    if (bottomRight > 0) {
        path.arcTo(rect.right() - 2 * bottomRight, rect.bottom() - 2 * bottomRight, 2 * bottomRight,
                   2 * bottomRight, 0, -90);
    }
    path.lineTo(rect.left() + bottomLeft, rect.bottom());
    if (bottomLeft > 0) {
        path.arcTo(rect.left(), rect.bottom() - 2 * bottomLeft, 2 * bottomLeft, 2 * bottomLeft, 270,
                   -90);
    }
    path.lineTo(rect.left(), rect.top() + topLeft);
    if (topLeft > 0)
        path.arcTo(rect.left(), rect.top(), 2 * topLeft, 2 * topLeft, 180, -90);
    path.closeSubpath();
    return path;
}

namespace {

// The asset scaled to cover the size with its proportions kept, centred, overflow cropped.
QImage aspectFilledMask(const std::string& name, const QSizeF& size) {
    const int width = std::max(1, static_cast<int>(std::ceil(size.width())));
    const int height = std::max(1, static_cast<int>(std::ceil(size.height())));
    QImage mask(width, height, QImage::Format_ARGB32_Premultiplied);
    mask.fill(Qt::transparent);
    if (!hasImageAsset(name))
        return mask;
    const int side = std::max(width, height);
    const QImage asset = toQImage(renderImageAsset(name, side, side));
    QPainter painter(&mask);
    painter.drawImage(QPointF((width - side) / 2.0, (height - side) / 2.0), asset);
    return mask;
}

}  // namespace

void paintLayer(QPainter& painter, const Layer& layer, double containerHeight) {
    if (!layer.backgroundColor)
        return;
    const platform::CGRect& frame = layer.frame;
    const QRectF rect(frame.minX(), containerHeight - frame.maxY(), frame.width(), frame.height());
    if (rect.isEmpty())
        return;
    const QPainterPath path = roundedRectPath(rect, layer.cornerRadius, layer.maskedCorners);
    const QColor colour = toQColor(*layer.backgroundColor);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, layer.edgeAntialiasing || layer.cornerRadius > 0);
    if (!layer.maskImage) {
        painter.fillPath(path, colour);
        painter.restore();
        return;
    }
    // The colour shows only through the mask's opaque parts.
    QImage tinted = aspectFilledMask(*layer.maskImage, rect.size());
    {
        QPainter tint(&tinted);
        tint.setCompositionMode(QPainter::CompositionMode_SourceIn);
        tint.fillRect(tinted.rect(), colour);
    }
    painter.setClipPath(path, Qt::IntersectClip);
    painter.drawImage(rect.topLeft(), tinted);
    painter.restore();
}

void paintVisualEffectView(QPainter& painter, const VisualEffectView& view,
                           AppearanceName appearance, double width, double height) {
    const QRectF bounds(0, 0, width, height);
    if (bounds.isEmpty())
        return;
    const int pixelWidth = static_cast<int>(std::ceil(width));
    const int pixelHeight = static_cast<int>(std::ceil(height));
    QImage content(pixelWidth, pixelHeight, QImage::Format_ARGB32_Premultiplied);
    content.fill(Qt::transparent);
    {
        QPainter inner(&content);
        inner.setRenderHint(QPainter::Antialiasing);
        QPainterPath background;
        background.addRoundedRect(bounds, view.cornerRadius, view.cornerRadius);
        inner.fillPath(background, toQColor(materialFill(view.material, appearance)));
        if (view.wantsLayer) {
            for (const Layer& layer : view.sublayers)
                paintLayer(inner, layer, height);
        }
        if (view.maskImage) {
            // The mask image covers the view: drawn at its own size, its corners kept by the cap
            // insets when the view is larger.
            QImage mask(pixelWidth, pixelHeight, QImage::Format_ARGB32_Premultiplied);
            mask.fill(Qt::transparent);
            QPainter maskPainter(&mask);
            maskPainter.setRenderHint(QPainter::Antialiasing);
            drawRoundedRectFill(maskPainter, bounds, view.maskImage->cornerRadius);
            maskPainter.end();
            inner.setCompositionMode(QPainter::CompositionMode_DestinationIn);
            inner.drawImage(0, 0, mask);
        }
    }
    painter.drawImage(0, 0, content);
}

}  // namespace zoral::ui
