#include "ui/visibility.h"

#include <QEvent>
#include <QObject>
#include <QWidget>

#include "ui/qt_view.h"

namespace zoral::ui {

namespace {

// A child of the view's widget: it watches the widget's show and hide events, and goes with it.
class VisibilityWatcher final : public QObject {
public:
    VisibilityWatcher(QWidget& widget, std::function<void(bool)> handler)
        : QObject(&widget), widget_(widget), handler_(std::move(handler)) {
        widget.installEventFilter(this);
        if (widget.isVisible())
            report(true);
    }

    ~VisibilityWatcher() override {
        // The widget is going: what was shown leaves the screen with it.
        if (shown_) {
            shown_ = false;
            const auto handler = handler_;
            handler(false);
        }
    }

    VisibilityWatcher(const VisibilityWatcher&) = delete;
    VisibilityWatcher& operator=(const VisibilityWatcher&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &widget_) {
            if (event->type() == QEvent::Show)
                report(true);
            else if (event->type() == QEvent::Hide)
                report(false);
        }
        return false;
    }

private:
    void report(bool shown) {
        // The toolkit tells a widget of its showing once per window it is shown in; the work
        // starts once per stay on screen.
        if (shown_ == shown || (shown && !widget_.isVisible()))
            return;
        shown_ = shown;
        const auto handler = handler_;
        handler(shown);
    }

    QWidget& widget_;
    std::function<void(bool)> handler_;
    bool shown_ = false;
};

}  // namespace

void observeVisibility(View& view, std::function<void(bool shown)> handler) {
    // Owned by the widget, as a child.
    new VisibilityWatcher(*qtWidget(view), std::move(handler));
}

}  // namespace zoral::ui
