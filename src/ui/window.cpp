#include "ui/window.h"

#include <QImage>
#include <QPainter>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>

#include "platform/dispatch.h"
#include "ui/application.h"
#include "ui/event_pump.h"
#include "ui/painting.h"
#include "ui/qt_geometry.h"
#include "ui/qt_image.h"

namespace zoral::ui {

namespace {

// The toolkit's window: frameless, translucent, never taking focus, drawn from the model.
class WindowWidget final : public QWidget {
public:
    explicit WindowWidget(const Window& owner, const WindowConfiguration& configuration)
        : QWidget(nullptr, flagsFor(configuration)), owner_(owner) {
        setAttribute(Qt::WA_TranslucentBackground);
        setAttribute(Qt::WA_NoSystemBackground);
        setAttribute(Qt::WA_ShowWithoutActivating);
        setAttribute(Qt::WA_TransparentForMouseEvents, configuration.ignoresMouseEvents);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        paintVisualEffectView(painter, owner_.contentView(), owner_.effectiveAppearance(),
                              owner_.frame().width(), owner_.frame().height());
    }

private:
    static Qt::WindowFlags flagsFor(const WindowConfiguration& configuration) {
        Qt::WindowFlags flags = Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus |
                                Qt::NoDropShadowWindowHint;
        if (configuration.level > 0)
            flags |= Qt::WindowStaysOnTopHint;
        if (configuration.ignoresMouseEvents)
            flags |= Qt::WindowTransparentForInput;
        return flags;
    }

    const Window& owner_;
};

platform::ProgramWindowStyle serverStyle(const WindowConfiguration& configuration) {
    return {.level = configuration.level,
            .ignoresMouseEvents = configuration.ignoresMouseEvents,
            .canJoinAllSpaces =
                (configuration.collectionBehavior & WindowConfiguration::canJoinAllSpaces) != 0};
}

platform::CGRect interpolate(const platform::CGRect& from, const platform::CGRect& to,
                             double progress) {
    const auto mix = [progress](double a, double b) { return a + (b - a) * progress; };
    return {mix(from.origin.x, to.origin.x), mix(from.origin.y, to.origin.y),
            mix(from.size.width, to.size.width), mix(from.size.height, to.size.height)};
}

}  // namespace

struct Window::Widget {
    Widget(const Window& owner, const WindowConfiguration& configuration)
        : widget(owner, configuration) {}

    // What a change of the window queued in the toolkit (paint requests, the window system's
    // geometry and expose events) is delivered on the main queue soon after, once for a burst of
    // changes: a program that runs for days must not keep a queue that only grows.
    void deliverQueuedEventsSoon() {
        if (*deliveryPending)
            return;
        *deliveryPending = true;
        platform::DispatchQueue::main().async([pending = std::weak_ptr(deliveryPending)] {
            const auto alive = pending.lock();
            if (!alive)
                return;
            *alive = false;
            processToolkitEvents();
        });
    }

    WindowWidget widget;
    std::shared_ptr<bool> deliveryPending = std::make_shared<bool>(false);
};

Window::Window(const WindowConfiguration& configuration)
    : configuration_(configuration), frame_(configuration.contentRect) {
    ensureApplication();
    number_ = platform::programWindowCreate(serverStyle(configuration_), frame_);
    widget_ = std::make_unique<Widget>(*this, configuration_);
    widget_->widget.setGeometry(topLeftGeometry(frame_));
    platform::programWindowSetContent(number_, [this] {
        Image image = render();
        return platform::ProgramWindowPixels{image.width(), image.height(),
                                             std::move(image.data())};
    });
}

Window::~Window() {
    alphaAnimator_.cancel();
    frameAnimator_.cancel();
    platform::programWindowDestroy(number_);
}

AppearanceName Window::effectiveAppearance() const {
    return ui::effectiveAppearance(configuration_.appearance);
}

void Window::applyFrame(platform::CGRect frame) {
    frame_ = frame;
    platform::programWindowSetFrame(number_, frame_);
    widget_->widget.setGeometry(topLeftGeometry(frame_));
    widget_->deliverQueuedEventsSoon();
}

void Window::setFrame(platform::CGRect frame) {
    frameAnimator_.cancel();
    applyFrame(frame);
}

void Window::setFrameOrigin(platform::CGPoint origin) {
    setFrame({origin, frame_.size});
}

double Window::animationResizeTime(platform::CGRect newFrame) const {
    // The toolkit's pace: longer glides for longer distances.
    const double distance =
        std::hypot(newFrame.origin.x - frame_.origin.x, newFrame.origin.y - frame_.origin.y) +
        std::hypot(newFrame.size.width - frame_.size.width,
                   newFrame.size.height - frame_.size.height);
    return std::clamp(distance / 150.0 * 0.2, 0.05, 0.4);
}

void Window::setFrameAnimated(platform::CGRect frame) {
    const platform::CGRect from = frame_;
    frameAnimator_.animate(
        animationResizeTime(frame), TimingFunction::easeInEaseOut(),
        [this, from, frame](double progress) {
            applyFrame(progress >= 1 ? frame : interpolate(from, frame, progress));
        });
}

std::optional<platform::NSScreen> Window::screen() const {
    std::optional<platform::NSScreen> best;
    double bestArea = 0;
    for (const platform::NSScreen& candidate : platform::NSScreen::screens()) {
        const platform::CGRect& display = candidate.frame();
        const double width =
            std::min(display.maxX(), frame_.maxX()) - std::max(display.minX(), frame_.minX());
        const double height =
            std::min(display.maxY(), frame_.maxY()) - std::max(display.minY(), frame_.minY());
        const double area = width > 0 && height > 0 ? width * height : 0;
        if (area > bestArea) {
            best = candidate;
            bestArea = area;
        }
    }
    return best;
}

void Window::centerOnScreen() {
    const auto display = screen();
    if (!display)
        return;
    const platform::CGRect& visible = display->visibleFrame();
    setFrameOrigin({visible.midX() - frame_.width() * 0.5, visible.midY() - frame_.height() * 0.5});
}

void Window::applyAlpha(double alpha) {
    alpha_ = std::clamp(alpha, 0.0, 1.0);
    platform::programWindowSetAlpha(number_, alpha_);
    widget_->widget.setWindowOpacity(alpha_);
    widget_->deliverQueuedEventsSoon();
}

void Window::setAlphaValue(double alpha) {
    alphaAnimator_.cancel();
    applyAlpha(alpha);
}

void Window::animateAlphaValue(double target, double duration, TimingFunction timing,
                               std::function<void()> completion) {
    const double from = alpha_;
    alphaAnimator_.animate(
        duration, timing,
        [this, from, target](double progress) { applyAlpha(from + (target - from) * progress); },
        std::move(completion));
}

void Window::orderFront() {
    visible_ = true;
    platform::programWindowOrderFront(number_);
    widget_->widget.show();
    widget_->widget.raise();
    widget_->deliverQueuedEventsSoon();
}

void Window::orderOut() {
    visible_ = false;
    platform::programWindowOrderOut(number_);
    widget_->widget.hide();
    widget_->deliverQueuedEventsSoon();
}

void Window::setNeedsDisplay() {
    widget_->widget.update();
    widget_->deliverQueuedEventsSoon();
}

Image Window::render() const {
    const QRect geometry = topLeftGeometry(frame_);
    QImage image(geometry.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    widget_->widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return fromQImage(image);
}

}  // namespace zoral::ui
