#include "ui/control.h"

#include <QFont>
#include <QWidget>

#include "ui/qt_view.h"

namespace zoral::ui {

namespace {

// The toolkit's text sizes for the control sizes.
double sizeFor(ControlSize size) {
    switch (size) {
        case ControlSize::small:
            return 11;
        case ControlSize::mini:
            return 9;
        case ControlSize::large:
        case ControlSize::regular:
            return 13;
    }
    return 13;
}

}  // namespace

QFont qtFont(const Font& font) {
    QFont result(QStringLiteral("DejaVu Sans"));
    // The program's sizes are points of a 72-dpi screen: one point a pixel.
    result.setPixelSize(std::max(1, static_cast<int>(font.pointSize)));
    switch (font.weight) {
        case FontWeight::regular:
            result.setWeight(QFont::Normal);
            break;
        case FontWeight::medium:
            result.setWeight(QFont::Medium);
            break;
        case FontWeight::semibold:
            result.setWeight(QFont::DemiBold);
            break;
        case FontWeight::bold:
            result.setWeight(QFont::Bold);
            break;
    }
    return result;
}

Control::Control() : Control(nullptr) {}

Control::Control(std::unique_ptr<QWidget> widget) : View(std::move(widget)) {
    applyFont();
}

void Control::setEnabled(bool enabled) {
    enabled_ = enabled;
    qtWidget(*this)->setEnabled(enabled);
}

void Control::sendAction() {
    if (!action_)
        return;
    // The action may drop the last other reference to the control.
    const auto keep = weak_from_this().lock();
    const Action action = action_;
    action(*this);
}

void Control::setControlSize(ControlSize size) {
    const bool followsSize = font_.pointSize == sizeFor(controlSize_);
    controlSize_ = size;
    if (followsSize)
        font_.pointSize = sizeFor(size);
    applyFont();
}

void Control::setFocusRingType(FocusRingType type) {
    focusRing_ = type;
    qtWidget(*this)->setAttribute(Qt::WA_MacShowFocusRect, type != FocusRingType::none);
}

void Control::setFont(Font font) {
    font_ = font;
    applyFont();
}

void Control::applyFont() {
    qtWidget(*this)->setFont(qtFont(font_));
    didChangeFont();
    fitToContent();
}

void Control::fitToContent() {
    // Until a layout places it, a control has the size of its content.
    QWidget* widget = qtWidget(*this);
    if (widget->parentWidget() == nullptr || widget->parentWidget()->layout() == nullptr)
        widget->adjustSize();
}

}  // namespace zoral::ui
