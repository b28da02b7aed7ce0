#include "ui/text_field.h"

#include <QLabel>

#include "ui/painting.h"
#include "ui/qt_view.h"

namespace zoral::ui {

namespace {

QLabel& labelOf(const View& view) {
    return *dynamic_cast<QLabel*>(qtWidget(view));
}

// A label that, wrapping at a width it was given, asks for the height of its lines at that width
// (the toolkit's own guess assumes a width of its choosing).
class LabelWidget final : public ForwardingWidget<QLabel> {
public:
    using ForwardingWidget<QLabel>::ForwardingWidget;

    QSize sizeHint() const override {
        const int width = minimumWidth();
        if (wordWrap() && width > 0 && width == maximumWidth())
            return {width, heightForWidth(width)};
        return ForwardingWidget<QLabel>::sizeHint();
    }
};

}  // namespace

TextField::TextField(std::string text, bool wraps)
    : Control(std::make_unique<LabelWidget>(*this)), text_(std::move(text)), wraps_(wraps) {
    QLabel& label = labelOf(*this);
    label.setTextFormat(Qt::PlainText);
    label.setWordWrap(wraps_);
    if (wraps_)
        label.setSizePolicy(QSizePolicy::Preferred, QSizePolicy::MinimumExpanding);
    applyText();
}

void TextField::setStringValue(std::string text) {
    text_ = std::move(text);
    applyText();
}

void TextField::setTextColor(Color colour) {
    textColor_ = std::move(colour);
    applyText();
}

void TextField::setAlignment(TextAlignment alignment) {
    alignment_ = alignment;
    applyText();
}

void TextField::setSelectable(bool selectable) {
    selectable_ = selectable;
    labelOf(*this).setTextInteractionFlags(selectable ? Qt::TextSelectableByMouse
                                                      : Qt::NoTextInteraction);
}

void TextField::setUnderlineStyle(int style) {
    underline_ = style;
    applyText();
}

void TextField::didChangeFont() {
    applyText();
}

void TextField::applyText() {
    QLabel& label = labelOf(*this);
    label.setText(QString::fromStdString(text_));
    QFont font = qtFont(this->font());
    font.setUnderline(underline_ != 0);
    label.setFont(font);
    QPalette palette = label.palette();
    palette.setColor(QPalette::WindowText, toQColor(textColor_.resolved(systemAppearanceName())));
    label.setPalette(palette);
    switch (alignment_) {
        case TextAlignment::right:
            label.setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            break;
        case TextAlignment::center:
            label.setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
            break;
        case TextAlignment::justified:
            label.setAlignment(Qt::AlignJustify | Qt::AlignVCenter);
            break;
        default:
            label.setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
            break;
    }
    fitToContent();
}

}  // namespace zoral::ui
