#include "ui/text_field.h"

#include <QLabel>
#include <algorithm>

#include "ui/painting.h"
#include "ui/qt_view.h"

namespace zoral::ui {

namespace {

QLabel& labelOf(const View& view) {
    return *dynamic_cast<QLabel*>(qtWidget(view));
}

// A label whose wrapping text asks for the width of its longest line, and whose height for a width
// is the height at the width it will get there: a layout that aligns it gives it no more than it
// asks for (nor more than its maximum), though it asks for the height at the whole width. So the
// text is never wrapped narrower than the room it has, and never cut short at the bottom.
class LabelWidget final : public ForwardingWidget<QLabel> {
public:
    explicit LabelWidget(View& owner) : ForwardingWidget<QLabel>(owner) {}

    QSize sizeHint() const override {
        if (!wordWrap())
            return QLabel::sizeHint();
        const int width = std::min(lineWidth(), maximumWidth());
        return {width, QLabel::heightForWidth(width)};
    }

    int heightForWidth(int width) const override {
        if (!wordWrap())
            return QLabel::heightForWidth(width);
        return QLabel::heightForWidth(std::min({width, lineWidth(), maximumWidth()}));
    }

private:
    // The text's width on unwrapped lines, with the label's margins.
    int lineWidth() const {
        const QMargins margins = contentsMargins();
        const QRect lines = fontMetrics().boundingRect(
            QRect(0, 0, QWIDGETSIZE_MAX, QWIDGETSIZE_MAX), Qt::AlignLeft | Qt::AlignTop, text());
        return lines.width() + margins.left() + margins.right() + 2 * margin() +
               std::max(indent(), 0);
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
