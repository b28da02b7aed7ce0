#pragma once

// Text fields after the toolkit's, as the windows use them: labels, one line or wrapping, with a
// font, a text colour, an alignment, and optionally selectable text or a single underline over
// the whole string (what a link shows while the pointer is over it). Main thread only.

#include <cstdint>
#include <string>

#include "ui/control.h"

namespace zoral::ui {

enum class TextAlignment : std::uint8_t {
    left = 0,
    right = 1,
    center = 2,
    justified = 3,
    natural = 4
};

class TextField : public Control {
public:
    // A one-line label.
    explicit TextField(std::string text = "", bool wraps = false);
    static std::shared_ptr<TextField> label(std::string text) {
        return std::make_shared<TextField>(std::move(text), false);
    }
    static std::shared_ptr<TextField> wrappingLabel(std::string text) {
        return std::make_shared<TextField>(std::move(text), true);
    }

    const std::string& stringValue() const { return text_; }
    void setStringValue(std::string text);
    bool wraps() const { return wraps_; }

    const Color& textColor() const { return textColor_; }
    void setTextColor(Color colour);
    TextAlignment alignment() const { return alignment_; }
    void setAlignment(TextAlignment alignment);
    bool isSelectable() const { return selectable_; }
    void setSelectable(bool selectable);
    // The toolkit's underline style over the whole string: 0 none, 1 single.
    int underlineStyle() const { return underline_; }
    void setUnderlineStyle(int style);

private:
    void didChangeFont() override;
    void applyText();

    std::string text_;
    bool wraps_;
    Color textColor_ = SystemColor::label;
    TextAlignment alignment_ = TextAlignment::natural;
    bool selectable_ = false;
    int underline_ = 0;
};

}  // namespace zoral::ui
