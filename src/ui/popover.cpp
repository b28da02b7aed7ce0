#include "ui/popover.h"

#include <QApplication>
#include <QGridLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

#include "ui/color.h"
#include "ui/layout_guide.h"
#include "ui/painting.h"
#include "ui/qt_geometry.h"
#include "ui/qt_image.h"
#include "ui/qt_view.h"
#include "ui/titled_window.h"

namespace zoral::ui {

namespace {

// The arrow's length, and the space between the bubble's edge and the content.
constexpr int arrowLength = 10;
constexpr int arrowHalfWidth = 10;
constexpr int padding = 0;

// The bubble: a rounded rectangle with the arrow at the edge that faces the anchor.
class BubbleWidget final : public ForwardingWidget<QWidget> {
public:
    BubbleWidget(View& owner, Popover& popover)
        : ForwardingWidget<QWidget>(owner, nullptr,
                                    Qt::Tool | Qt::FramelessWindowHint |
                                        Qt::NoDropShadowWindowHint | Qt::WindowDoesNotAcceptFocus),
          popover_(popover) {
        setAttribute(Qt::WA_TranslucentBackground);
        setAttribute(Qt::WA_ShowWithoutActivating);
        grid_ = new QGridLayout(this);  // owned by the widget
        grid_->setSizeConstraint(QLayout::SetFixedSize);
        margins(RectEdge::maxY);
    }

    void margins(RectEdge edge) {
        edge_ = edge;
        // The arrow points from the bubble towards the anchor: below the anchor it sits on top.
        const int top = edge == RectEdge::maxY ? arrowLength : 0;
        const int bottom = edge == RectEdge::minY ? arrowLength : 0;
        const int left = edge == RectEdge::maxX ? arrowLength : 0;
        const int right = edge == RectEdge::minX ? arrowLength : 0;
        grid_->setContentsMargins(left + padding, top + padding, right + padding, bottom + padding);
    }

    // Where along its edge the arrow stands (from the bubble's left or top).
    double arrowAt = 0;

protected:
    // The bubble's outline: the rounded body and the arrow towards the anchor.
    QPainterPath shape() const {
        QRectF body = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        switch (edge_) {
            case RectEdge::maxY:
                body.setTop(body.top() + arrowLength);
                break;
            case RectEdge::minY:
                body.setBottom(body.bottom() - arrowLength);
                break;
            case RectEdge::maxX:
                body.setLeft(body.left() + arrowLength);
                break;
            case RectEdge::minX:
                body.setRight(body.right() - arrowLength);
                break;
        }
        QPainterPath path;
        path.addRoundedRect(body, 8, 8);
        QPolygonF arrow;
        const double a = arrowAt;
        switch (edge_) {
            case RectEdge::maxY:
                arrow << QPointF(a - arrowHalfWidth, body.top() + 1) << QPointF(a, 0.5)
                      << QPointF(a + arrowHalfWidth, body.top() + 1);
                break;
            case RectEdge::minY:
                arrow << QPointF(a - arrowHalfWidth, body.bottom() - 1)
                      << QPointF(a, height() - 0.5)
                      << QPointF(a + arrowHalfWidth, body.bottom() - 1);
                break;
            case RectEdge::maxX:
                arrow << QPointF(body.left() + 1, a - arrowHalfWidth) << QPointF(0.5, a)
                      << QPointF(body.left() + 1, a + arrowHalfWidth);
                break;
            case RectEdge::minX:
                arrow << QPointF(body.right() - 1, a - arrowHalfWidth) << QPointF(width() - 0.5, a)
                      << QPointF(body.right() - 1, a + arrowHalfWidth);
                break;
        }
        QPainterPath pointer;
        pointer.addPolygon(arrow);
        pointer.closeSubpath();
        path = path.united(pointer);
        return path;
    }

    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QPainterPath path = shape();
        painter.setPen(QPen(QColor(0, 0, 0, 55), 1));
        painter.setBrush(
            toQColor(Color(SystemColor::windowBackground).resolved(systemAppearanceName())));
        painter.drawPath(path);
    }

    void resizeEvent(QResizeEvent* event) override {
        ForwardingWidget<QWidget>::resizeEvent(event);
        if (popover_.isShown())
            popover_.reposition();
    }

public:
    // Cuts the widget to the bubble's outline, for window systems that draw no transparency.
    void applyMask() { setMask(QRegion(shape().toFillPolygon().toPolygon())); }

protected:
private:
    Popover& popover_;
    RectEdge edge_ = RectEdge::maxY;
    QGridLayout* grid_ = nullptr;
};

class BubbleView final : public View {
public:
    explicit BubbleView(Popover& popover) : View(std::make_unique<BubbleWidget>(*this, popover)) {}
};

// Closes a transient popover when the user presses the mouse outside it.
class OutsidePressFilter final : public QObject {
public:
    explicit OutsidePressFilter(Popover& popover) : popover_(popover) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::MouseButtonPress || !popover_.isShown())
            return false;
        const auto* widget = qobject_cast<QWidget*>(watched);
        if (widget == nullptr || popover_.widget()->isAncestorOf(widget) ||
            widget == popover_.widget()) {
            return false;
        }
        if (!popover_.closesOnPressInAnchor()) {
            const auto anchor = popover_.positioningView();
            if (anchor && (widget == qtWidget(*anchor) || qtWidget(*anchor)->isAncestorOf(widget)))
                return false;
        }
        popover_.close();
        return false;
    }

private:
    Popover& popover_;
};

}  // namespace

struct Popover::Parts {
    std::shared_ptr<BubbleView> bubble;
    std::unique_ptr<OutsidePressFilter> filter;
};

Popover::Popover() : parts_(std::make_unique<Parts>()) {
    parts_->bubble = std::make_shared<BubbleView>(*this);
    adopt(*parts_->bubble);
}

Popover::~Popover() {
    if (parts_->filter)
        qApp->removeEventFilter(parts_->filter.get());
    release(*parts_->bubble);
}

QWidget* Popover::widget() const {
    return qtWidget(*parts_->bubble);
}

TitledWindow* Popover::hostWindow() {
    const auto anchor = anchor_.lock();
    return anchor ? anchor->window() : nullptr;
}

void Popover::setContentViewController(std::shared_ptr<ViewController> controller) {
    if (content_ && content_->isViewLoaded())
        content_->view()->removeFromSuperview();
    content_ = std::move(controller);
    if (!content_)
        return;
    pin(*content_->view(), *parts_->bubble, 0);
    if (auto* grid = dynamic_cast<QGridLayout*>(widget()->layout()))
        grid->setSizeConstraint(QLayout::SetFixedSize);
    if (auto* bubble = dynamic_cast<BubbleWidget*>(widget()))
        bubble->margins(edge_);
}

void Popover::show(platform::CGRect relativeTo, View& positioningView, RectEdge preferredEdge) {
    if (!positioningView.isInVisibleWindow())
        return;
    anchor_ = positioningView.weak_from_this();
    anchorRect_ = relativeTo;
    edge_ = preferredEdge;
    if (auto* bubble = dynamic_cast<BubbleWidget*>(widget()))
        bubble->margins(edge_);
    if (shown_) {
        reposition();
        return;
    }
    self_ = shared_from_this();
    if (delegate_ != nullptr)
        delegate_->popoverWillShow(*this);
    QWidget* anchorWindow = qtWidget(positioningView)->window();
    changeVisibility(*parts_->bubble, true, [&] {
        shown_ = true;
        widget()->setParent(anchorWindow, widget()->windowFlags());
        flushLayout();
        widget()->adjustSize();
        reposition();
        widget()->show();
        widget()->raise();
    });
    if (TitledWindow* window = positioningView.window())
        window->addPopover(shared_from_this());
    if (behavior_ != PopoverBehavior::applicationDefined) {
        parts_->filter = std::make_unique<OutsidePressFilter>(*this);
        qApp->installEventFilter(parts_->filter.get());
    }
    if (delegate_ != nullptr)
        delegate_->popoverDidShow(*this);
}

void Popover::reposition() {
    const auto anchor = anchor_.lock();
    if (!anchor)
        return;
    flushLayout();
    QWidget* anchorWidget = qtWidget(*anchor);
    QRect target =
        anchorRect_.width() <= 0 || anchorRect_.height() <= 0
            ? anchorWidget->rect()
            : QRect(static_cast<int>(anchorRect_.minX()), static_cast<int>(anchorRect_.minY()),
                    static_cast<int>(anchorRect_.width()), static_cast<int>(anchorRect_.height()));
    target.moveTopLeft(anchorWidget->mapToGlobal(target.topLeft()));
    auto* bubble = dynamic_cast<BubbleWidget*>(widget());
    if (bubble == nullptr)
        return;
    const QSize size = bubble->size();
    QPoint origin;
    switch (edge_) {
        case RectEdge::maxY:
            origin = {target.center().x() - size.width() / 2, target.bottom() + 1};
            break;
        case RectEdge::minY:
            origin = {target.center().x() - size.width() / 2, target.top() - size.height()};
            break;
        case RectEdge::maxX:
            origin = {target.right() + 1, target.center().y() - size.height() / 2};
            break;
        case RectEdge::minX:
            origin = {target.left() - size.width(), target.center().y() - size.height() / 2};
            break;
    }
    const bool vertical = edge_ == RectEdge::maxY || edge_ == RectEdge::minY;
    bubble->arrowAt =
        vertical ? target.center().x() - origin.x() : target.center().y() - origin.y();
    bubble->move(origin);
    bubble->applyMask();
    bubble->update();
}

void Popover::close() {
    if (!shown_)
        return;
    const auto keep = shared_from_this();
    if (delegate_ != nullptr)
        delegate_->popoverWillClose(*this);
    if (parts_->filter) {
        qApp->removeEventFilter(parts_->filter.get());
        parts_->filter.reset();
    }
    changeVisibility(*parts_->bubble, false, [&] {
        shown_ = false;
        widget()->hide();
        // Off its window, so that the window's going does not take the bubble with it.
        widget()->setParent(nullptr, widget()->windowFlags());
    });
    if (delegate_ != nullptr)
        delegate_->popoverDidClose(*this);
    self_.reset();
}

platform::CGSize Popover::contentSize() const {
    if (!content_ || !content_->isViewLoaded())
        return {};
    flushLayout();
    const QSize size = qtWidget(*content_->view())->size();
    return {static_cast<double>(size.width()), static_cast<double>(size.height())};
}

platform::CGRect Popover::frame() const {
    return bottomLeftFrame(widget()->geometry());
}

Image Popover::render() const {
    flushLayout();
    return fromQImage(widget()->grab().toImage());
}

}  // namespace zoral::ui
