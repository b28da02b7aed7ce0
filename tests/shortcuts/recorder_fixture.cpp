#include "recorder_fixture.h"

#include <QApplication>
#include <QGuiApplication>
#include <QWidget>

#include "sim/displays.h"
#include "ui/event_pump.h"
#include "ui/layout_guide.h"
#include "ui/qt_view.h"

namespace zoral::shortcuts::testing {

RecorderTest::RecorderTest() {
    sim::Displays::of(*world).setDisplays(
        {{.number = 1, .uuid = "LAPTOP", .frame = {0, 0, 1440, 900}, .menuBarHeight = 25}});
    recorder = RecorderCocoa::make(
        name, [this](const std::optional<Shortcut>& shortcut) { changes.push_back(shortcut); });
    okButton = ui::Button::pushButton("OK");
    window = makeWindow({recorder, okButton});
}

RecorderTest::~RecorderTest() {
    // The window and its views go while the world is still there.
    window.reset();
    recorder.reset();
    okButton.reset();
}

std::shared_ptr<ui::TitledWindow> RecorderTest::makeWindow(
    std::vector<std::shared_ptr<ui::View>> views) {
    auto content = std::make_shared<ui::View>();
    auto column =
        std::make_shared<ui::StackView>(std::move(views), ui::LayoutOrientation::vertical);
    column->setAlignment(ui::StackAlignment::leading);
    ui::pin(*column, *content, 20, ui::PinBottom::atMost);
    auto made = std::make_shared<ui::TitledWindow>(platform::CGSize{300, 110});
    made->setTitle("Shortcut");
    made->setContentView(content);
    made->makeKeyAndOrderFront();
    ui::qtWidget(*content)->window()->activateWindow();
    ui::processToolkitEvents();
    ui::flushLayout();
    scheduler().runUntilIdle();
    return made;
}

QWindow* RecorderTest::windowOf(const ui::View& view) {
    return ui::qtWidget(view)->window()->windowHandle();
}

QPoint RecorderTest::pointOf(const ui::View& view, QPoint offset) {
    const QWidget* widget = ui::qtWidget(view);
    return widget->mapTo(widget->window(), offset);
}

QPoint RecorderTest::centreOf(const ui::View& view) {
    return pointOf(view, ui::qtWidget(view)->rect().center());
}

void RecorderTest::clickAt(QWindow* target, QPoint point) {
    // A click on a window that is not active activates it first, as the window server does.
    if (QGuiApplication::focusWindow() != target) {
        target->requestActivate();
        ui::processToolkitEvents();
    }
    QTest::mouseClick(target, Qt::LeftButton, Qt::NoModifier, point);
    ui::processToolkitEvents();
    scheduler().runUntilIdle();
}

void RecorderTest::type(Qt::Key key, Qt::KeyboardModifiers modifiers) {
    // To the active window, which hands it to its widget with the focus.
    QWindow* target = QGuiApplication::focusWindow();
    QTest::keyClick(target != nullptr ? target : windowOf(*recorder), key, modifiers);
    ui::processToolkitEvents();
    scheduler().runUntilIdle();
}

std::size_t RecorderTest::beeps() const {
    return sim::Journal::of(*world).recordsOf<sim::Beep>().size();
}

std::vector<sim::AlertShown> RecorderTest::alerts() const {
    return sim::Journal::of(*world).recordsOf<sim::AlertShown>();
}

}  // namespace zoral::shortcuts::testing
