#pragma once

// Between the program's views and the toolkit's widgets under them; for the code of ui/ and its
// tests (which drive the real widgets with the toolkit's test events).

#include <QEnterEvent>
#include <QMouseEvent>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <functional>
#include <utility>

#include "ui/view.h"

namespace zoral::ui {

// The widget that draws the view.
QWidget* qtWidget(const View& view);
// The view that a widget draws; none for a widget of no view.
View* viewOfWidget(const QWidget* widget);

struct ViewAccess {
    static QWidget* widget(const View& view) { return view.widget_.get(); }
    static void press(View& view, QMouseEvent& event, const std::function<void()>& base);
    static void release(View& view, QMouseEvent& event, const std::function<void()>& base);
    static void enter(View& view);
    static void leave(View& view);
    // Registers the widget as the view's.
    static void bind(View& view, QWidget& widget);
};

// Makes the toolkit's application before the widget that derives from it.
struct ApplicationFirst {
    ApplicationFirst();
};

// A widget of the toolkit whose mouse events go to its view first.
template <class Base>
class ForwardingWidget : private ApplicationFirst, public Base {
public:
    template <class... Args>
    explicit ForwardingWidget(View& owner, Args&&... args)
        : ApplicationFirst(), Base(std::forward<Args>(args)...), owner_(owner) {
        ViewAccess::bind(owner_, *this);
    }

protected:
    void mousePressEvent(QMouseEvent* event) override {
        if (!bound())
            return Base::mousePressEvent(event);
        ViewAccess::press(owner_, *event, [this, event] { Base::mousePressEvent(event); });
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (!bound())
            return Base::mouseReleaseEvent(event);
        ViewAccess::release(owner_, *event, [this, event] { Base::mouseReleaseEvent(event); });
    }
    void enterEvent(QEnterEvent* event) override {
        Base::enterEvent(event);
        if (bound())
            ViewAccess::enter(owner_);
    }
    void leaveEvent(QEvent* event) override {
        Base::leaveEvent(event);
        if (bound())
            ViewAccess::leave(owner_);
    }

    // False once the view is going: the widget then goes on as the toolkit's alone.
    bool bound() const { return viewOfWidget(this) == &owner_; }

    View& owner() const { return owner_; }

private:
    View& owner_;
};

// A length in the toolkit's whole pixels (one point a pixel), never negative.
inline int pixels(double value) {
    return std::max(0, static_cast<int>(std::lround(value)));
}

// Delivers the toolkit's pending layout requests, so that sizes and positions are current.
void flushLayout();

}  // namespace zoral::ui
