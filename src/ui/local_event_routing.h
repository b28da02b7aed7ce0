#pragma once

// The application's local event monitors (platform/local_events.h) see every input event that
// reaches the program's widgets before the widget does: key presses and releases (flags-changed
// for the modifier keys) and mouse presses and releases, each converted once (ui/qt_events.h)
// and marked with the regular window it is for. A consumed event never reaches the widget. The
// toolkit's application object routes its events here; for the code of ui/.

class QEvent;
class QObject;

namespace zoral::ui {

// True when a monitor consumed the event, which then goes no further. Only the user's input
// (the window system's events, or the toolkit's test events standing for them) is routed, once
// per event, to the widget it is for.
bool consumedByLocalMonitors(QObject* receiver, QEvent* event);

// True when the user's key press (one the monitors passed) is the key equivalent of an item of
// the application's main menu, whose action then ran: the key goes no further.
bool performedByMainMenu(QObject* receiver, QEvent* event);

}  // namespace zoral::ui
