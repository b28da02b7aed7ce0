#pragma once

// An image view after the toolkit's: it shows an image asset at its size. Assets are template
// images (black symbols): a template image is drawn in the view's content tint colour when it has
// one. setTintColor is how the program tints a view on every system: from 10.14 on it sets the
// content tint colour; before, the view had none, so the image itself is painted in the colour
// (where it is opaque) and stops being a template.

#include <optional>
#include <string>
#include <utility>

#include "platform/system_colors.h"
#include "ui/image.h"

namespace zoral::ui {

class ImageView {
public:
    ImageView(int width, int height) : width_(width), height_(height) {}

    // The asset drawn at the view's size, as a template image; none for a name without an asset.
    void setImage(const std::string& assetName);
    const std::optional<Image>& image() const { return image_; }
    bool isTemplate() const { return isTemplate_; }

    const std::optional<platform::RGBColor>& contentTintColor() const { return contentTint_; }
    void setContentTintColor(std::optional<platform::RGBColor> colour) {
        contentTint_ = std::move(colour);
    }

    void setTintColor(const platform::RGBColor& colour);

    // What the view shows.
    Image render() const;

private:
    int width_;
    int height_;
    std::optional<Image> image_;
    bool isTemplate_ = false;
    std::optional<platform::RGBColor> contentTint_;
};

}  // namespace zoral::ui
