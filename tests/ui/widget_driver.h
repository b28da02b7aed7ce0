#pragma once

// The user's hands on the program's views: clicks and keys through the toolkit's test events,
// delivered to the real widgets under the views.

#include <QTest>

#include "ui/qt_view.h"
#include "ui/view.h"

namespace zoral::ui::testing {

inline void click(const View& view, QPoint at = {}) {
    QTest::mouseClick(qtWidget(view), Qt::LeftButton, Qt::NoModifier, at);
}

inline void press(const View& view, QPoint at = {}) {
    QTest::mousePress(qtWidget(view), Qt::LeftButton, Qt::NoModifier, at);
}

inline void key(const View& view, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(qtWidget(view), key, modifiers);
}

// The pointer enters or leaves the view.
inline void hover(const View& view, bool inside) {
    QWidget* widget = qtWidget(view);
    if (inside) {
        QEnterEvent enter(QPointF(1, 1), widget->mapToGlobal(QPointF(1, 1)),
                          widget->mapToGlobal(QPointF(1, 1)));
        QCoreApplication::sendEvent(widget, &enter);
    } else {
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(widget, &leave);
    }
}

}  // namespace zoral::ui::testing
