#pragma once

// An image view after the toolkit's: it shows an image asset or a symbol at its size. Assets are
// template images (black symbols) unless drawn in their own colours; a template image is drawn in
// the view's content tint colour when it has one. setTintColor is how the program tints a view on
// every system: from 10.14 on it sets the content tint colour; before, the view had none, so the
// image itself is painted in the colour (where it is opaque) and stops being a template.
//
// Made with a size, the view keeps it; made without one, it takes the image's size (a symbol's
// from its point size).

#include <optional>
#include <string>
#include <utility>

#include "platform/system_colors.h"
#include "ui/color.h"
#include "ui/image.h"
#include "ui/view.h"

namespace zoral::ui {

// The toolkit's numbers for how an image fills its view.
enum class ImageScaling : std::uint8_t {
    proportionallyDown = 0,
    axesIndependently = 1,
    none = 2,
    proportionallyUpOrDown = 3,
};

enum class SymbolWeight : std::uint8_t { light, regular, medium, semibold, bold };
enum class SymbolScale : std::uint8_t { small = 1, medium = 2, large = 3 };

struct SymbolConfiguration {
    double pointSize = 13;
    SymbolWeight weight = SymbolWeight::regular;
    SymbolScale scale = SymbolScale::medium;

    friend bool operator==(const SymbolConfiguration&, const SymbolConfiguration&) = default;
};

class ImageView : public View {
public:
    ImageView();
    ImageView(int width, int height);

    // The asset drawn at the view's size, as a template unless it has colours of its own; none
    // for a name without an asset.
    void setImage(const std::string& assetName);
    // The system symbol of the name; none for a name the symbol set lacks.
    void setSymbol(const std::string& symbolName, SymbolConfiguration configuration = {});
    // The name shown, whether an asset's or a symbol's; empty when none.
    const std::string& imageName() const { return name_; }
    bool showsSymbol() const { return symbol_; }
    const std::optional<Image>& image() const { return image_; }
    bool isTemplate() const { return isTemplate_; }

    const std::optional<platform::RGBColor>& contentTintColor() const { return contentTint_; }
    void setContentTintColor(std::optional<platform::RGBColor> colour);
    void setTintColor(const Color& colour);

    ImageScaling imageScaling() const { return scaling_; }
    void setImageScaling(ImageScaling scaling);
    const std::string& accessibilityDescription() const { return description_; }
    void setAccessibilityDescription(std::string description) {
        description_ = std::move(description);
    }

    // What the view shows, at its size.
    Image render() const;

private:
    void reload();
    void resizeTo(int width, int height);

    int width_;
    int height_;
    bool fixedSize_;
    std::string name_;
    bool symbol_ = false;
    SymbolConfiguration configuration_;
    std::optional<Image> image_;
    bool isTemplate_ = false;
    // The image was painted in a colour (systems without content tints).
    std::optional<platform::RGBColor> paintedColour_;
    std::optional<platform::RGBColor> contentTint_;
    ImageScaling scaling_ = ImageScaling::proportionallyDown;
    std::string description_;
};

}  // namespace zoral::ui
