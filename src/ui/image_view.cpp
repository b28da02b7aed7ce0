#include "ui/image_view.h"

#include <QPainter>
#include <QResizeEvent>
#include <algorithm>
#include <cmath>

#include "platform/screens.h"
#include "ui/image_assets.h"
#include "ui/qt_image.h"
#include "ui/qt_view.h"

namespace zoral::ui {

namespace {

std::uint32_t channel(double value) {
    return static_cast<std::uint32_t>(std::lround(std::clamp(value, 0.0, 1.0) * 255.0));
}

// Source-atop with an opaque colour: every pixel takes the colour and keeps its own alpha.
void paintAtop(Image& image, const platform::RGBColor& colour) {
    for (std::uint32_t& pixel : image.data()) {
        const double alpha = static_cast<double>(pixel >> 24) / 255.0;
        pixel = (channel(alpha) << 24) | (channel(colour.red * alpha) << 16) |
                (channel(colour.green * alpha) << 8) | channel(colour.blue * alpha);
    }
}

// A symbol's drawing size for its configuration: the point size, larger or smaller by the scale.
int symbolSide(const SymbolConfiguration& configuration) {
    const double factor = configuration.scale == SymbolScale::small   ? 1.0
                          : configuration.scale == SymbolScale::large ? 1.6
                                                                      : 1.3;
    return std::max(1, static_cast<int>(std::lround(configuration.pointSize * factor)));
}

class ImageWidget final : public ForwardingWidget<QWidget> {
public:
    explicit ImageWidget(View& owner) : ForwardingWidget<QWidget>(owner) {}

    QSize sizeHint() const override { return hint; }
    // An image is not squeezed below its size.
    QSize minimumSizeHint() const override { return hint; }

    QSize hint{0, 0};

protected:
    void paintEvent(QPaintEvent*) override {
        const auto& view = dynamic_cast<const ImageView&>(owner());
        const Image shown = view.render();
        if (shown.isEmpty())
            return;
        QPainter painter(this);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        // Drawn in the middle of the view, scaled to fit it with its proportions kept.
        const QImage image = toQImage(shown);
        const QSizeF fitted = QSizeF(image.size()).scaled(QSizeF(size()), Qt::KeepAspectRatio);
        const QRectF target(
            QPointF((width() - fitted.width()) / 2.0, (height() - fitted.height()) / 2.0), fitted);
        painter.drawImage(target, image);
    }
};

// An image view's widget is always its own kind (the optimised build cannot know that through a
// checked cast, and sees a possible null).
ImageWidget& widgetOf(const View& view) {
    return *static_cast<ImageWidget*>(qtWidget(view));
}

}  // namespace

ImageView::ImageView()
    : View(std::make_unique<ImageWidget>(*this)), width_(0), height_(0), fixedSize_(false) {}

ImageView::ImageView(int width, int height)
    : View(std::make_unique<ImageWidget>(*this)), width_(width), height_(height), fixedSize_(true) {
    widgetOf(*this).hint = QSize(width, height);
    qtWidget(*this)->resize(width, height);
}

void ImageView::setImage(const std::string& assetName) {
    name_ = assetName;
    symbol_ = false;
    if (!fixedSize_) {
        const platform::CGSize size = imageAssetSize(assetName);
        resizeTo(static_cast<int>(size.width), static_cast<int>(size.height));
    }
    reload();
}

void ImageView::setSymbol(const std::string& symbolName, SymbolConfiguration configuration) {
    name_ = symbolName;
    symbol_ = true;
    configuration_ = configuration;
    if (!fixedSize_) {
        const int side = symbolSide(configuration);
        resizeTo(side, side);
    }
    reload();
}

void ImageView::resizeTo(int width, int height) {
    width_ = width;
    height_ = height;
    widgetOf(*this).hint = QSize(width, height);
    qtWidget(*this)->updateGeometry();
    qtWidget(*this)->resize(width, height);
}

void ImageView::reload() {
    const bool exists = symbol_ ? hasSymbol(name_) : hasImageAsset(name_);
    paintedColour_.reset();
    if (!exists) {
        image_.reset();
        isTemplate_ = false;
    } else {
        image_ = symbol_ ? renderSymbol(name_, width_, height_)
                         : renderImageAsset(name_, width_, height_);
        isTemplate_ = symbol_ || isTemplateImageAsset(name_);
    }
    qtWidget(*this)->update();
}

void ImageView::setContentTintColor(std::optional<platform::RGBColor> colour) {
    contentTint_ = std::move(colour);
    qtWidget(*this)->update();
}

void ImageView::setTintColor(const Color& colour) {
    const platform::RGBColor rgb = colour.resolved(systemAppearanceName());
    if (platform::isOperatingSystemAtLeast({10, 14, 0})) {
        setContentTintColor(rgb);
        return;
    }
    if (!image_)
        return;
    isTemplate_ = false;
    paintedColour_ = rgb;
    paintAtop(*image_, rgb);
    qtWidget(*this)->update();
}

void ImageView::setImageScaling(ImageScaling scaling) {
    scaling_ = scaling;
    qtWidget(*this)->update();
}

Image ImageView::render() const {
    if (!image_)
        return Image(width_, height_);
    Image shown = *image_;
    if (isTemplate_ && contentTint_)
        paintAtop(shown, *contentTint_);
    return shown;
}

}  // namespace zoral::ui
