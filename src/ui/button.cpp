#include "ui/button.h"

#include <QCheckBox>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>

#include "ui/qt_view.h"

namespace zoral::ui {

namespace {

Qt::CheckState qtState(ControlState state) {
    switch (state) {
        case ControlState::on:
            return Qt::Checked;
        case ControlState::mixed:
            return Qt::PartiallyChecked;
        case ControlState::off:
            return Qt::Unchecked;
    }
    return Qt::Unchecked;
}

ControlState ourState(Qt::CheckState state) {
    switch (state) {
        case Qt::Checked:
            return ControlState::on;
        case Qt::PartiallyChecked:
            return ControlState::mixed;
        case Qt::Unchecked:
            return ControlState::off;
    }
    return ControlState::off;
}

// A checkbox whose next state is the button's.
class CheckboxWidget final : public ForwardingWidget<QCheckBox> {
public:
    explicit CheckboxWidget(View& owner) : ForwardingWidget<QCheckBox>(owner) {}

protected:
    void nextCheckState() override {
        auto& button = dynamic_cast<Button&>(owner());
        setCheckState(qtState(button.nextState()));
    }
};

// The round help badge: a question mark in a circle.
class HelpWidget final : public ForwardingWidget<QPushButton> {
public:
    explicit HelpWidget(View& owner) : ForwardingWidget<QPushButton>(owner) {
        setFixedSize(sizeHint());
    }
    QSize sizeHint() const override { return {21, 21}; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const double side = std::min(width(), height()) - 2;
        const QRectF circle((width() - side) / 2, (height() - side) / 2, side, side);
        painter.setPen(QPen(QColor(0, 0, 0, 60), 1));
        painter.setBrush(isDown() ? QColor(220, 220, 220) : QColor(255, 255, 255));
        painter.drawEllipse(circle);
        QFont font = this->font();
        font.setBold(true);
        font.setPixelSize(static_cast<int>(side * 0.62));
        painter.setFont(font);
        painter.setPen(isEnabled() ? QColor(60, 60, 60) : QColor(120, 120, 120));
        painter.drawText(circle, Qt::AlignCenter, QStringLiteral("?"));
    }
};

std::unique_ptr<QWidget> makeWidget(View& owner, ButtonKind kind) {
    switch (kind) {
        case ButtonKind::checkbox:
            return std::make_unique<CheckboxWidget>(owner);
        case ButtonKind::help:
            return std::make_unique<HelpWidget>(owner);
        case ButtonKind::push:
            break;
    }
    return std::make_unique<ForwardingWidget<QPushButton>>(owner);
}

}  // namespace

Button::Button(ButtonKind kind, std::string title)
    : Control(makeWidget(*this, kind)), kind_(kind), title_(std::move(title)) {
    auto* widget = dynamic_cast<QAbstractButton*>(qtWidget(*this));
    widget->setText(QString::fromStdString(title_));
    widget->setFocusPolicy(Qt::TabFocus);
    fitToContent();
    QObject::connect(widget, &QAbstractButton::clicked, [this] { sendAction(); });
    if (kind == ButtonKind::help)
        bezel_ = BezelStyle::helpButton;
    applyLook();
}

void Button::setTitle(std::string title) {
    title_ = std::move(title);
    dynamic_cast<QAbstractButton*>(qtWidget(*this))->setText(QString::fromStdString(title_));
    fitToContent();
}

void Button::setBezelStyle(BezelStyle style) {
    bezel_ = style;
    applyLook();
}

void Button::setBordered(bool bordered) {
    bordered_ = bordered;
    applyLook();
}

void Button::applyLook() {
    auto* push = dynamic_cast<QPushButton*>(qtWidget(*this));
    if (push == nullptr || kind_ != ButtonKind::push)
        return;
    if (!bordered_) {
        push->setStyleSheet(QStringLiteral("QPushButton { border: none; padding: 2px 4px; }"));
        return;
    }
    switch (bezel_) {
        case BezelStyle::regularSquare:
        case BezelStyle::recessed:
            push->setStyleSheet(
                QStringLiteral("QPushButton { border: 1px solid rgba(0,0,0,60); border-radius: 4px;"
                               " background: rgba(0,0,0,12); padding: 2px 8px; }"
                               "QPushButton:pressed { background: rgba(0,0,0,40); }"));
            break;
        default:
            push->setStyleSheet(QString());
            break;
    }
}

ControlState Button::state() const {
    if (const auto* box = dynamic_cast<const QCheckBox*>(qtWidget(*this)))
        return ourState(box->checkState());
    return ControlState::off;
}

void Button::setState(ControlState state) {
    auto* box = dynamic_cast<QCheckBox*>(qtWidget(*this));
    if (box == nullptr)
        return;
    const QSignalBlocker quiet(box);
    if (state == ControlState::mixed)
        box->setTristate(true);
    box->setCheckState(qtState(state));
}

ControlState Button::nextState() const {
    const ControlState current = state();
    if (allowsMixed_) {
        switch (current) {
            case ControlState::on:
                return ControlState::off;
            case ControlState::off:
                return ControlState::mixed;
            case ControlState::mixed:
                return ControlState::on;
        }
    }
    return current == ControlState::on ? ControlState::off : ControlState::on;
}

void Button::performClick() {
    dynamic_cast<QAbstractButton*>(qtWidget(*this))->click();
}

}  // namespace zoral::ui
