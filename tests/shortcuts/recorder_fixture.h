#pragma once

// A desktop with one display, and the program's window holding a recorder of fixPinchAndSwipe
// above an "OK" button, on screen and active. The user's hands reach it through the toolkit's
// test events, sent to the window as the window system sends them.

#include <QPoint>
#include <QTest>
#include <QWindow>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "shortcuts/recorder_cocoa.h"
#include "shortcuts/shortcuts_fixture.h"
#include "sim/alerts.h"
#include "sim/journal.h"
#include "ui/button.h"
#include "ui/stack_view.h"
#include "ui/titled_window.h"

namespace zoral::shortcuts::testing {

using GlobalShortcuts::RecorderCocoa;

class RecorderTest : public ShortcutsTest {
protected:
    RecorderTest();
    ~RecorderTest() override;

    // The window's layout: the views in a column, pinned 20 points inside the content.
    std::shared_ptr<ui::TitledWindow> makeWindow(std::vector<std::shared_ptr<ui::View>> views);

    // The toolkit's window under a view.
    static QWindow* windowOf(const ui::View& view);
    // The view's centre, or a point at the offset from its top-left corner, in its window.
    static QPoint centreOf(const ui::View& view);
    static QPoint pointOf(const ui::View& view, QPoint offset);

    // A click (press and release of the left button) at the point of the window.
    void clickAt(QWindow* window, QPoint point);
    void click(const ui::View& view) { clickAt(windowOf(view), centreOf(view)); }
    // A press and release of the key in the active window, then the main queue's work.
    void type(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

    std::size_t beeps() const;
    std::vector<sim::AlertShown> alerts() const;
    sim::Alerts& alertSheets() { return sim::Alerts::of(*world); }

    Name name{"fixPinchAndSwipe"};
    // What the recorder told its callback, in order.
    std::vector<std::optional<Shortcut>> changes;
    std::shared_ptr<RecorderCocoa> recorder;
    std::shared_ptr<ui::Button> okButton;
    std::shared_ptr<ui::TitledWindow> window;
};

}  // namespace zoral::shortcuts::testing
