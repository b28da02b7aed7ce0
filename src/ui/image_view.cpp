#include "ui/image_view.h"

#include <algorithm>
#include <cmath>

#include "platform/screens.h"
#include "ui/image_assets.h"

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

}  // namespace

void ImageView::setImage(const std::string& assetName) {
    if (!hasImageAsset(assetName)) {
        image_.reset();
        isTemplate_ = false;
        return;
    }
    image_ = renderImageAsset(assetName, width_, height_);
    isTemplate_ = true;
}

void ImageView::setTintColor(const platform::RGBColor& colour) {
    if (platform::isOperatingSystemAtLeast({10, 14, 0})) {
        setContentTintColor(colour);
        return;
    }
    if (!image_)
        return;
    isTemplate_ = false;
    paintAtop(*image_, colour);
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
