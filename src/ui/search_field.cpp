#include "ui/search_field.h"

#include <QAction>
#include <QFocusEvent>
#include <QIcon>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QToolButton>

#include "ui/qt_view.h"
#include "ui/titled_window.h"

namespace zoral::ui {

namespace {

// The clear button's look: a grey disc with a white cross, at twice the size for sharp pixels.
QIcon clearIcon() {
    constexpr int size = 28;
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 90));
    painter.drawEllipse(QRectF(2, 2, size - 4, size - 4));
    painter.setPen(QPen(Qt::white, 2.6, Qt::SolidLine, Qt::RoundCap));
    constexpr double inset = 9.5;
    painter.drawLine(QPointF(inset, inset), QPointF(size - inset, size - inset));
    painter.drawLine(QPointF(size - inset, inset), QPointF(inset, size - inset));
    painter.end();
    pixmap.setDevicePixelRatio(2);
    return QIcon(pixmap);
}

Qt::Alignment qtAlignment(TextAlignment alignment) {
    switch (alignment) {
        case TextAlignment::right:
            return Qt::AlignRight | Qt::AlignVCenter;
        case TextAlignment::center:
            return Qt::AlignHCenter | Qt::AlignVCenter;
        default:
            return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

// Focus that moves because a window became or stopped being active, or a menu opened, is no
// change of the field's editing.
bool changesEditing(Qt::FocusReason reason) {
    return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
}

}  // namespace

struct SearchField::Widget final : ForwardingWidget<QLineEdit> {
    explicit Widget(SearchField& field) : ForwardingWidget<QLineEdit>(field), field_(field) {
        cancel = addAction(clearIcon(), QLineEdit::TrailingPosition);
        cancel->setVisible(false);
        // A click on the clear button takes the focus itself: pressing it does not start the
        // field's editing (and ends an editing under way) before the click clears the field.
        for (QToolButton* button : findChildren<QToolButton*>())
            button->setFocusPolicy(Qt::ClickFocus);
        QObject::connect(cancel, &QAction::triggered, [this] {
            if (bound())
                field_.cancelButtonClicked();
        });
        QObject::connect(this, &QLineEdit::textEdited, [this] {
            if (bound())
                field_.textDidChange();
        });
        setFocusPolicy(Qt::StrongFocus);
    }

    bool event(QEvent* event) override {
        // A Tab that comes to the field after it gave up the focus (its owner ended the editing
        // and passed the key on) moves on from where the field stands, as the window's key-view
        // loop does.
        if (event->type() == QEvent::KeyPress && !hasFocus()) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Tab || key == Qt::Key_Backtab) {
                focusNeighbour(key == Qt::Key_Tab);
                event->accept();
                return true;
            }
        }
        const bool result = ForwardingWidget<QLineEdit>::event(event);
        if (bound() && (event->type() == QEvent::ParentChange || event->type() == QEvent::Show))
            field_.windowMayHaveChanged();
        return result;
    }

    void focusInEvent(QFocusEvent* event) override {
        ForwardingWidget<QLineEdit>::focusInEvent(event);
        if (bound() && changesEditing(event->reason()))
            field_.focusArrived();
    }

    void focusOutEvent(QFocusEvent* event) override {
        ForwardingWidget<QLineEdit>::focusOutEvent(event);
        if (bound() && changesEditing(event->reason()))
            field_.focusLeft();
    }

    void focusNeighbour(bool next) {
        for (QWidget* candidate = next ? nextInFocusChain() : previousInFocusChain();
             candidate != nullptr && candidate != this;
             candidate = next ? candidate->nextInFocusChain() : candidate->previousInFocusChain()) {
            if (candidate->window() == window() && candidate->isVisible() &&
                candidate->isEnabled() && (candidate->focusPolicy() & Qt::TabFocus) != 0) {
                candidate->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
                return;
            }
        }
    }

    // The toolkit leaves the placeholder out of a centred field that has the focus (its caret
    // would stand in the middle); the field shows it, as the system's does.
    void paintEvent(QPaintEvent* event) override {
        ForwardingWidget<QLineEdit>::paintEvent(event);
        if (!hasFocus() || !text().isEmpty() || placeholderText().isEmpty() ||
            !alignment().testFlag(Qt::AlignHCenter)) {
            return;
        }
        QPainter painter(this);
        painter.setPen(palette().color(QPalette::PlaceholderText));
        painter.setFont(font());
        painter.drawText(rect(), Qt::AlignCenter, placeholderText());
    }

    QSize sizeHint() const override {
        QSize hint = ForwardingWidget<QLineEdit>::sizeHint();
        if (intrinsicWidth >= 0)
            hint.setWidth(intrinsicWidth);
        return hint;
    }

    QAction* cancel = nullptr;
    int intrinsicWidth = -1;

private:
    SearchField& field_;
};

SearchField::Widget& SearchField::line() const {
    return *dynamic_cast<Widget*>(qtWidget(*this));
}

SearchField::SearchField() : Control(std::make_unique<Widget>(*this)) {
    setAlignment(TextAlignment::natural);
}

SearchField::~SearchField() = default;

std::string SearchField::stringValue() const {
    return line().text().toStdString();
}

void SearchField::setStringValue(const std::string& text) {
    line().setText(QString::fromStdString(text));
}

std::string SearchField::placeholderString() const {
    return line().placeholderText().toStdString();
}

void SearchField::setPlaceholderString(const std::string& text) {
    line().setPlaceholderText(QString::fromStdString(text));
}

void SearchField::setAlignment(TextAlignment alignment) {
    alignment_ = alignment;
    line().setAlignment(qtAlignment(alignment));
}

void SearchField::setIntrinsicWidth(double width) {
    line().intrinsicWidth = width < 0 ? -1 : pixels(width);
    line().updateGeometry();
    fitToContent();
}

bool SearchField::showsCancelButton() const {
    return line().cancel->isVisible();
}

void SearchField::setShowsCancelButton(bool shows) {
    line().cancel->setVisible(shows);
}

void SearchField::performCancelButtonClick() {
    if (showsCancelButton())
        cancelButtonClicked();
}

void SearchField::setInsertionPointVisible(bool visible) {
    line().setReadOnly(!visible);
}

void SearchField::keyViewStateDidChange() {
    // Tab reaches a key view; a click reaches every field.
    line().setFocusPolicy(canBecomeKeyView() ? Qt::StrongFocus : Qt::ClickFocus);
}

void SearchField::focusArrived() {
    if (editing_)
        return;
    const auto keep = weak_from_this().lock();
    if (!becomeFirstResponder()) {
        line().clearFocus();
        return;
    }
    editing_ = true;
}

void SearchField::focusLeft() {
    if (!editing_)
        return;
    const auto keep = weak_from_this().lock();
    editing_ = false;
    textDidEndEditing();
}

void SearchField::cancelButtonClicked() {
    const auto keep = weak_from_this().lock();
    line().clear();
    textDidChange();
}

void SearchField::windowMayHaveChanged() {
    const void* current = window();
    if (current == lastWindow_)
        return;
    lastWindow_ = current;
    if (current != nullptr)
        viewDidMoveToWindow();
}

}  // namespace zoral::ui
