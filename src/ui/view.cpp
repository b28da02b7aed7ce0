#include "ui/view.h"

#include <QCoreApplication>
#include <QGraphicsOpacityEffect>
#include <QGridLayout>
#include <QImage>
#include <algorithm>
#include <cmath>

#include "ui/application.h"
#include "ui/qt_events.h"
#include "ui/qt_image.h"
#include "ui/qt_view.h"
#include "ui/view_controller.h"

namespace zoral::ui {

namespace {

// The property under which a widget names its view.
constexpr const char* viewProperty = "zoralView";

// The view controllers of a tree, outermost first.
void collectControllers(View& view, std::vector<std::shared_ptr<View>>& views) {
    views.push_back(view.shared_from_this());
    for (const auto& subview : view.subviews())
        collectControllers(*subview, views);
}

Event crossingEvent(platform::NSEventType type) {
    Event event;
    event.type = type;
    return event;
}

}  // namespace

QWidget* qtWidget(const View& view) {
    return ViewAccess::widget(view);
}

View* viewOfWidget(const QWidget* widget) {
    if (widget == nullptr)
        return nullptr;
    return static_cast<View*>(widget->property(viewProperty).value<void*>());
}

ApplicationFirst::ApplicationFirst() {
    ensureApplication();
}

void flushLayout() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
}

void ViewAccess::bind(View& view, QWidget& widget) {
    widget.setProperty(viewProperty, QVariant::fromValue(static_cast<void*>(&view)));
}

void ViewAccess::press(View& view, QMouseEvent& event, const std::function<void()>& base) {
    const auto keep = view.weak_from_this().lock();
    const double height = view.widget_->window()->height();
    const auto converted = eventFromMouse(event, height);
    view.pressed_ = event.button() == Qt::LeftButton;
    view.defaultMouse_ = &base;
    if (converted)
        view.mouseDown(*converted);
    else
        base();
    view.defaultMouse_ = nullptr;
    if (!view.clickHandlers_.empty())
        event.accept();
}

void ViewAccess::release(View& view, QMouseEvent& event, const std::function<void()>& base) {
    const auto keep = view.weak_from_this().lock();
    const double height = view.widget_->window()->height();
    const auto converted = eventFromMouse(event, height);
    const bool clicked = view.pressed_ && event.button() == Qt::LeftButton &&
                         view.widget_->rect().contains(event.position().toPoint());
    view.pressed_ = false;
    view.defaultMouse_ = &base;
    if (converted)
        view.mouseUp(*converted);
    else
        base();
    view.defaultMouse_ = nullptr;
    if (clicked && !view.clickHandlers_.empty()) {
        event.accept();
        // A handler may change the handlers; run the ones registered at the click.
        const auto handlers = view.clickHandlers_;
        for (const auto& handler : handlers)
            handler();
    }
}

void ViewAccess::enter(View& view) {
    const auto keep = view.weak_from_this().lock();
    view.mouseEntered(crossingEvent(platform::NSEventType::mouseEntered));
}

void ViewAccess::leave(View& view) {
    const auto keep = view.weak_from_this().lock();
    view.mouseExited(crossingEvent(platform::NSEventType::mouseExited));
}

View::View() : View(nullptr) {}

View::View(std::unique_ptr<QWidget> widget) {
    ensureApplication();
    if (!widget)
        widget = std::make_unique<ForwardingWidget<QWidget>>(*this);
    widget_ = std::move(widget);
    ViewAccess::bind(*this, *widget_);
}

View::~View() {
    // The subviews' widgets are theirs: take them out before the toolkit deletes ours with its
    // children.
    for (const auto& subview : subviews_) {
        subview->superview_ = nullptr;
        subview->widget_->setParent(nullptr);
    }
    if (widget_)
        widget_->setProperty(viewProperty, QVariant());
}

void View::attach(const std::shared_ptr<View>& view) {
    view->removeFromSuperview();
    const auto change = [&] {
        subviews_.push_back(view);
        view->superview_ = this;
        view->widget_->setParent(widget_.get());
        view->widget_->setVisible(!view->hidden_);
    };
    if (isInVisibleWindow())
        ViewHost::changeVisibility(*view, true, change);
    else
        change();
}

void View::detach(View& view) {
    const auto found = std::ranges::find_if(
        subviews_, [&](const std::shared_ptr<View>& subview) { return subview.get() == &view; });
    if (found == subviews_.end())
        return;
    const std::shared_ptr<View> keep = *found;
    const auto change = [&] {
        subviews_.erase(std::ranges::find(subviews_, keep));
        keep->superview_ = nullptr;
        keep->widget_->setParent(nullptr);
    };
    if (keep->isInVisibleWindow())
        ViewHost::changeVisibility(*keep, false, change);
    else
        change();
}

void View::addSubview(std::shared_ptr<View> view) {
    if (!view || view.get() == this)
        return;
    const platform::CGSize size = view->fittingSize();
    attach(view);
    QWidget& widget = *view->widget_;
    if (widget.width() <= 0 || widget.height() <= 0)
        widget.resize(pixels(size.width), pixels(size.height));
}

void View::replaceSubview(const std::shared_ptr<View>& old, std::shared_ptr<View> replacement) {
    if (!old || !replacement || old->superview_ != this)
        return;
    auto* grid = dynamic_cast<QGridLayout*>(widget_->layout());
    const int index = grid != nullptr ? grid->indexOf(old->widget_.get()) : -1;
    int row = 0;
    int column = 0;
    int rowSpan = 0;
    int columnSpan = 0;
    Qt::Alignment alignment;
    if (index >= 0) {
        grid->getItemPosition(index, &row, &column, &rowSpan, &columnSpan);
        alignment = grid->itemAt(index)->alignment();
    }
    detach(*old);
    attach(replacement);
    if (index >= 0)
        grid->addWidget(replacement->widget_.get(), row, column, alignment);
    else
        replacement->widget_->resize(replacement->widget_->sizeHint());
}

std::shared_ptr<View> View::superview() const {
    return superview_ != nullptr ? superview_->weak_from_this().lock() : nullptr;
}

void View::removeFromSuperview() {
    if (superview_ != nullptr)
        superview_->detach(*this);
}

bool View::isDescendantOf(const View& other) const {
    for (const View* view = this; view != nullptr; view = view->superview_) {
        if (view == &other)
            return true;
    }
    return false;
}

TitledWindow* View::window() const {
    const View* root = this;
    while (root->superview_ != nullptr)
        root = root->superview_;
    return root->host_ != nullptr ? root->host_->hostWindow() : nullptr;
}

bool View::isInVisibleWindow() const {
    const View* root = this;
    while (root->superview_ != nullptr)
        root = root->superview_;
    return root->host_ != nullptr && root->host_->hostIsVisible();
}

void View::setHidden(bool hidden) {
    if (hidden_ == hidden)
        return;
    hidden_ = hidden;
    // A view outside any tree has no widget parent: showing it would open a window of its own.
    if (widget_->parentWidget() != nullptr)
        widget_->setVisible(!hidden);
    didChangeHidden();
}

void View::setAlphaValue(double alpha) {
    alpha_ = std::clamp(alpha, 0.0, 1.0);
    if (alpha_ >= 1) {
        widget_->setGraphicsEffect(nullptr);
        return;
    }
    auto* effect = dynamic_cast<QGraphicsOpacityEffect*>(widget_->graphicsEffect());
    if (effect == nullptr) {
        effect = new QGraphicsOpacityEffect(widget_.get());  // owned by the widget
        widget_->setGraphicsEffect(effect);
    }
    effect->setOpacity(alpha_);
}

void View::setToolTip(std::string toolTip) {
    toolTip_ = std::move(toolTip);
    widget_->setToolTip(QString::fromStdString(toolTip_));
}

void View::setCursor(Cursor cursor) {
    cursor_ = cursor;
    if (cursor == Cursor::pointingHand)
        widget_->setCursor(Qt::PointingHandCursor);
    else
        widget_->unsetCursor();
}

void View::setWidth(double width) {
    if (width < 0) {
        widget_->setMinimumWidth(0);
        widget_->setMaximumWidth(QWIDGETSIZE_MAX);
        return;
    }
    widget_->setFixedWidth(pixels(width));
}

void View::setHeight(double height) {
    if (height < 0) {
        widget_->setMinimumHeight(0);
        widget_->setMaximumHeight(QWIDGETSIZE_MAX);
        return;
    }
    widget_->setFixedHeight(pixels(height));
}

void View::setMinimumWidth(double width) {
    widget_->setMinimumWidth(width < 0 ? 0 : pixels(width));
}

void View::setMaximumWidth(double width) {
    widget_->setMaximumWidth(width < 0 ? QWIDGETSIZE_MAX : pixels(width));
}

void View::setMinimumHeight(double height) {
    widget_->setMinimumHeight(height < 0 ? 0 : pixels(height));
}

void View::setMaximumHeight(double height) {
    widget_->setMaximumHeight(height < 0 ? QWIDGETSIZE_MAX : pixels(height));
}

void View::setFrame(platform::CGRect frame) {
    widget_->setGeometry(static_cast<int>(std::lround(frame.minX())),
                         static_cast<int>(std::lround(frame.minY())), pixels(frame.width()),
                         pixels(frame.height()));
}

platform::CGRect View::frame() const {
    const QRect geometry = widget_->geometry();
    return {static_cast<double>(geometry.x()), static_cast<double>(geometry.y()),
            static_cast<double>(geometry.width()), static_cast<double>(geometry.height())};
}

platform::CGSize View::fittingSize() const {
    const QSize hint = widget_->sizeHint().expandedTo(widget_->minimumSizeHint());
    const QSize bounded = hint.expandedTo(widget_->minimumSize()).boundedTo(widget_->maximumSize());
    return {static_cast<double>(std::max(bounded.width(), 0)),
            static_cast<double>(std::max(bounded.height(), 0))};
}

platform::CGPoint View::convertPointFromWindow(platform::CGPoint point) const {
    const QWidget* top = widget_->window();
    const QPointF inWindow(point.x, top->height() - point.y);
    const QPointF inView = widget_->mapFrom(top, inWindow);
    return {inView.x(), inView.y()};
}

void View::setContentHuggingPriority(float priority, LayoutOrientation orientation) {
    hugging_[static_cast<int>(orientation)] = priority;
}

float View::contentHuggingPriority(LayoutOrientation orientation) const {
    return hugging_[static_cast<int>(orientation)];
}

void View::mouseDown(const Event&) {
    runDefaultMouse();
}

void View::mouseUp(const Event&) {
    runDefaultMouse();
}

void View::mouseEntered(const Event&) {}

void View::mouseExited(const Event&) {}

void View::runDefaultMouse() {
    if (defaultMouse_ != nullptr)
        (*defaultMouse_)();
}

void View::addClickHandler(std::function<void()> handler) {
    clickHandlers_.push_back(std::move(handler));
}

Image View::render() const {
    flushLayout();
    return fromQImage(widget_->grab().toImage());
}

void View::layoutSubtreeIfNeeded() {
    flushLayout();
}

void ViewHost::changeVisibility(View& root, bool visible, const std::function<void()>& change) {
    std::vector<std::shared_ptr<View>> views;
    collectControllers(root, views);
    std::vector<std::shared_ptr<ViewController>> changing;
    for (const auto& view : views) {
        if (view->controller_ != nullptr && view->controller_->appeared_ != visible)
            changing.push_back(view->controller_->shared_from_this());
    }
    for (const auto& controller : changing) {
        if (visible)
            controller->viewWillAppear();
        else
            controller->viewWillDisappear();
    }
    change();
    for (const auto& controller : changing) {
        controller->appeared_ = visible;
        if (visible)
            controller->viewDidAppear();
        else
            controller->viewDidDisappear();
    }
}

}  // namespace zoral::ui
