#include "ui/local_event_routing.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>
#include <optional>

#include "platform/local_events.h"
#include "platform/menus.h"
#include "ui/qt_events.h"
#include "ui/qt_view.h"
#include "ui/titled_window.h"

namespace zoral::ui {

namespace {

// The regular window of the nearest view that holds the widget; none for the widgets of no such
// window (popovers, the tooltips).
std::optional<platform::WindowNumber> windowOf(const QWidget& widget) {
    for (const QWidget* current = &widget; current != nullptr; current = current->parentWidget()) {
        if (const View* view = viewOfWidget(current)) {
            if (const TitledWindow* window = view->window())
                return window->windowNumber();
            return std::nullopt;
        }
    }
    return std::nullopt;
}

std::optional<Event> converted(const QWidget& widget, QEvent& event) {
    switch (event.type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
            return eventFromKey(static_cast<const QKeyEvent&>(event));
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick: {
            const auto& mouse = static_cast<const QMouseEvent&>(event);
            const QWidget* top = widget.window();
            auto result = eventFromMouse(mouse, top->height());
            if (result) {
                // The place in the window, from the receiver's own coordinates: an event sent
                // straight to a widget may carry no place in its window.
                const QPointF inWindow = widget.mapTo(top, mouse.position());
                result->locationInWindow = {inWindow.x(), top->height() - inWindow.y()};
            }
            return result;
        }
        default:
            return std::nullopt;
    }
}

}  // namespace

bool consumedByLocalMonitors(QObject* receiver, QEvent* event) {
    // The program's own sends (a widget handing an event on) are no input of the user's.
    if (event == nullptr || !event->spontaneous())
        return false;
    const auto* widget = qobject_cast<const QWidget*>(receiver);
    if (widget == nullptr)
        return false;
    const auto input = converted(*widget, *event);
    if (!input)
        return false;
    // A monitor that hands back another event passes the original on: the widgets take the
    // toolkit's event, and no monitor of the program changes one.
    return !platform::passThroughLocalMonitors(input->nsEvent(windowOf(*widget)));
}

bool performedByMainMenu(QObject* receiver, QEvent* event) {
    if (event == nullptr || !event->spontaneous() || event->type() != QEvent::KeyPress)
        return false;
    const auto* widget = qobject_cast<const QWidget*>(receiver);
    if (widget == nullptr)
        return false;
    const auto menu = platform::mainMenu();
    if (!menu)
        return false;
    const auto input = converted(*widget, *event);
    return input && menu->performKeyEquivalent(input->nsEvent(windowOf(*widget)));
}

}  // namespace zoral::ui
