#include "ui/segmented_control.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

#include "ui/color.h"
#include "ui/painting.h"
#include "ui/qt_view.h"

namespace zoral::ui {

namespace {

constexpr int segmentHeight = 22;
constexpr double labelPadding = 10;

class SegmentsWidget final : public ForwardingWidget<QWidget> {
public:
    explicit SegmentsWidget(View& owner) : ForwardingWidget<QWidget>(owner) {
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        setFocusPolicy(Qt::TabFocus);
    }

    QSize sizeHint() const override {
        // Asked while the control is still being made, too.
        const auto* control = dynamic_cast<const SegmentedControl*>(&owner());
        double total = 0;
        for (std::size_t i = 0; control != nullptr && i < control->segmentCount(); ++i)
            total += control->width(i);
        return {static_cast<int>(std::ceil(total)) + 2, segmentHeight};
    }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void mousePressEvent(QMouseEvent* event) override {
        pressed_ = segmentUnder(*event);
        ForwardingWidget<QWidget>::mousePressEvent(event);
        event->accept();
        update();
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        const int segment = segmentUnder(*event);
        const int pressed = pressed_;
        pressed_ = -1;
        ForwardingWidget<QWidget>::mouseReleaseEvent(event);
        event->accept();
        if (segment >= 0 && segment == pressed && isEnabled())
            dynamic_cast<SegmentedControl&>(owner()).clickSegment(
                static_cast<std::size_t>(segment));
        update();
    }

    void paintEvent(QPaintEvent*) override {
        const auto& control = dynamic_cast<const SegmentedControl&>(owner());
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF outline(0.5, 0.5, width() - 1.0, segmentHeight - 1.0);
        QPainterPath shape;
        shape.addRoundedRect(outline, 5, 5);
        painter.fillPath(shape, QColor(255, 255, 255));
        const QColor accent =
            toQColor(Color(SystemColor::controlAccent).resolved(AppearanceName::aqua));
        double x = 1;
        painter.setFont(font());
        for (std::size_t i = 0; i < control.segmentCount(); ++i) {
            const double w = control.width(i);
            const QRectF cell(x, 1, w, segmentHeight - 2.0);
            const bool down = static_cast<int>(i) == pressed_;
            if (control.isSelected(i) || down) {
                painter.save();
                painter.setClipPath(shape);
                painter.fillRect(cell,
                                 down && !control.isSelected(i) ? QColor(0, 0, 0, 30) : accent);
                painter.restore();
            }
            if (i > 0) {
                painter.setPen(QPen(QColor(0, 0, 0, 45), 1));
                painter.drawLine(QPointF(x, 4), QPointF(x, segmentHeight - 4.0));
            }
            QColor text = control.isSelected(i) ? QColor(255, 255, 255) : QColor(30, 30, 30);
            if (!control.isEnabled(i) || !isEnabled())
                text.setAlpha(90);
            painter.setPen(text);
            painter.drawText(cell, Qt::AlignCenter, QString::fromStdString(control.label(i)));
            x += w;
        }
        painter.setPen(QPen(QColor(0, 0, 0, 60), 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(shape);
    }

private:
    int segmentUnder(const QMouseEvent& event) const {
        const auto& control = dynamic_cast<const SegmentedControl&>(owner());
        return control.segmentAt({event.position().x(), event.position().y()});
    }

    int pressed_ = -1;
};

}  // namespace

SegmentedControl::SegmentedControl(std::vector<std::string> labels, SegmentTracking tracking)
    : Control(std::make_unique<SegmentsWidget>(*this)), tracking_(tracking) {
    for (auto& label : labels)
        segments_.push_back({std::move(label)});
    changed();
}

const std::string& SegmentedControl::label(std::size_t segment) const {
    return segments_.at(segment).label;
}

bool SegmentedControl::isSelected(std::size_t segment) const {
    return segment < segments_.size() && segments_[segment].selected;
}

void SegmentedControl::setSelected(bool selected, std::size_t segment) {
    if (segment >= segments_.size())
        return;
    if (selected && tracking_ != SegmentTracking::selectAny) {
        for (Segment& other : segments_)
            other.selected = false;
    }
    segments_[segment].selected = selected;
    if (selected)
        lastSelected_ = static_cast<int>(segment);
    else if (lastSelected_ == static_cast<int>(segment))
        lastSelected_ = -1;
    changed();
}

int SegmentedControl::selectedSegment() const {
    if (lastSelected_ >= 0 && isSelected(static_cast<std::size_t>(lastSelected_)))
        return lastSelected_;
    for (std::size_t i = 0; i < segments_.size(); ++i) {
        if (segments_[i].selected)
            return static_cast<int>(i);
    }
    return -1;
}

bool SegmentedControl::isEnabled(std::size_t segment) const {
    return segment < segments_.size() && segments_[segment].enabled;
}

void SegmentedControl::setEnabled(bool enabled, std::size_t segment) {
    if (segment >= segments_.size())
        return;
    segments_[segment].enabled = enabled;
    changed();
}

double SegmentedControl::width(std::size_t segment) const {
    if (segment >= segments_.size())
        return 0;
    if (segments_[segment].width > 0)
        return segments_[segment].width;
    const QFontMetrics metrics(qtWidget(*this)->font());
    return metrics.horizontalAdvance(QString::fromStdString(segments_[segment].label)) +
           2 * labelPadding;
}

void SegmentedControl::setWidth(double width, std::size_t segment) {
    if (segment >= segments_.size())
        return;
    segments_[segment].width = std::max(width, 0.0);
    changed();
}

void SegmentedControl::setSegmentStyle(SegmentStyle style) {
    style_ = style;
    changed();
}

int SegmentedControl::segmentAt(platform::CGPoint point) const {
    if (point.y < 0 || point.y >= segmentHeight || point.x < 1)
        return -1;
    double x = 1;
    for (std::size_t i = 0; i < segments_.size(); ++i) {
        const double w = width(i);
        if (point.x < x + w)
            return static_cast<int>(i);
        x += w;
    }
    return -1;
}

void SegmentedControl::clickSegment(std::size_t segment) {
    if (segment >= segments_.size() || !segments_[segment].enabled)
        return;
    switch (tracking_) {
        case SegmentTracking::selectOne:
            setSelected(true, segment);
            break;
        case SegmentTracking::selectAny:
            setSelected(!segments_[segment].selected, segment);
            break;
        case SegmentTracking::momentary:
            lastSelected_ = static_cast<int>(segment);
            break;
    }
    sendAction();
}

void SegmentedControl::changed() {
    QWidget* widget = qtWidget(*this);
    widget->updateGeometry();
    widget->resize(widget->sizeHint());
    widget->update();
}

}  // namespace zoral::ui
