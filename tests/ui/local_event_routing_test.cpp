// The user's input on the program's windows passes the application's local event monitors before
// any widget takes it; and work can follow whether a view is on screen.

#include <QCoreApplication>
#include <QKeyEvent>
#include <QTest>
#include <QWindow>
#include <memory>
#include <optional>
#include <vector>

#include <gtest/gtest.h>

#include "platform/local_events.h"
#include "platform/menus.h"
#include "ui/button.h"
#include "ui/event_pump.h"
#include "ui/layout_guide.h"
#include "ui/qt_view.h"
#include "ui/titled_window.h"
#include "ui/visibility.h"
#include "ui_world.h"

namespace zoral::ui {
namespace {

using platform::NSEventType;

class LocalEventRoutingTest : public testing::UiWorldTest {
protected:
    LocalEventRoutingTest() {
        button = Button::pushButton("Quit");
        button->setAction([this](Control&) { ++actions; });
        auto content = std::make_shared<View>();
        pin(*button, *content, 20, PinBottom::atMost);
        window = std::make_shared<TitledWindow>(platform::CGSize{200, 80});
        window->setContentView(content);
        window->makeKeyAndOrderFront();
        qtWidget(*content)->window()->activateWindow();
        processToolkitEvents();
        flushLayout();
    }

    // A monitor of the mask that records what it sees, and consumes it when told to.
    std::shared_ptr<platform::EventMonitor> monitor(platform::NSEventMask mask, bool consumes) {
        return platform::addLocalMonitorForEvents(
            mask,
            [this, consumes](const platform::NSEvent& event) -> std::optional<platform::NSEvent> {
                seen.push_back(event);
                if (consumes)
                    return std::nullopt;
                return event;
            });
    }

    QWindow* qtWindow() const { return qtWidget(*button)->window()->windowHandle(); }
    QPoint buttonCentre() const {
        QWidget* widget = qtWidget(*button);
        return widget->mapTo(widget->window(), widget->rect().center());
    }

    std::shared_ptr<Button> button;
    std::shared_ptr<TitledWindow> window;
    std::vector<platform::NSEvent> seen;
    int actions = 0;
};

constexpr platform::NSEventMask mouseButtons =
    platform::eventMaskFromType(NSEventType::leftMouseDown) |
    platform::eventMaskFromType(NSEventType::leftMouseUp);
constexpr platform::NSEventMask keys = platform::eventMaskFromType(NSEventType::keyDown) |
                                       platform::eventMaskFromType(NSEventType::keyUp);

TEST_F(LocalEventRoutingTest, AMonitorSeesAClickInItsWindowBeforeTheButton) {
    const auto watching = monitor(mouseButtons, false);
    QTest::mouseClick(qtWindow(), Qt::LeftButton, Qt::NoModifier, buttonCentre());

    ASSERT_EQ(seen.size(), 2u) << "one press and one release, once each";
    EXPECT_EQ(seen[0].type, NSEventType::leftMouseDown);
    EXPECT_EQ(seen[1].type, NSEventType::leftMouseUp);
    const double height = qtWidget(*button)->window()->height();
    for (const auto& event : seen) {
        EXPECT_EQ(event.window, window->windowNumber());
        EXPECT_EQ(event.locationInWindow,
                  (platform::CGPoint{static_cast<double>(buttonCentre().x()),
                                     height - buttonCentre().y()}))
            << "the window's bottom-left coordinates";
    }
    EXPECT_EQ(actions, 1) << "passed on, the click reaches the button";
}

TEST_F(LocalEventRoutingTest, AConsumedReleaseNeverReachesTheButton) {
    const auto consuming = monitor(platform::eventMaskFromType(NSEventType::leftMouseUp), true);
    QTest::mouseClick(qtWindow(), Qt::LeftButton, Qt::NoModifier, buttonCentre());
    EXPECT_EQ(seen.size(), 1u);
    EXPECT_EQ(actions, 0);

    platform::removeMonitor(consuming);
    QTest::mouseClick(qtWindow(), Qt::LeftButton, Qt::NoModifier, buttonCentre());
    EXPECT_EQ(actions, 1);
}

TEST_F(LocalEventRoutingTest, KeysOfTheUserAreSeenAndThoseTheProgramSendsItselfAreNot) {
    const auto watching = monitor(keys, false);
    QTest::keyClick(qtWindow(), Qt::Key_A, Qt::MetaModifier);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].type, NSEventType::keyDown);
    EXPECT_EQ(seen[1].type, NSEventType::keyUp);
    EXPECT_EQ(seen[0].keyCode, 0);
    EXPECT_TRUE(seen[0].charactersIgnoringModifiers == u"a");
    EXPECT_TRUE(seen[0].modifierFlags.contains(platform::CGEventFlags::maskCommand));
    EXPECT_EQ(seen[0].window, window->windowNumber());

    QKeyEvent own(QEvent::KeyPress, Qt::Key_B, Qt::NoModifier, "b");
    QCoreApplication::sendEvent(qtWidget(*button), &own);
    EXPECT_EQ(seen.size(), 2u);
}

// The application's main menu takes its key equivalents from the program's windows after the
// monitors, before the widgets.
TEST_F(LocalEventRoutingTest, AKeyEquivalentOfTheMainMenuRunsItsItemAfterTheMonitors) {
    int chosen = 0;
    const auto prefs = platform::MenuItem::make("Preferences…", ",");
    prefs->action = [&chosen](platform::MenuItem&) { ++chosen; };
    const auto application = platform::MenuItem::make("Zoral");
    application->submenu = std::make_shared<platform::Menu>("Zoral", std::vector{prefs});
    platform::setMainMenu(std::make_shared<platform::Menu>("Main Menu", std::vector{application}));
    const auto watching = monitor(keys, false);

    QTest::keyClick(qtWindow(), Qt::Key_Comma, Qt::MetaModifier);
    EXPECT_EQ(chosen, 1);
    EXPECT_EQ(seen.size(), 2u) << "the monitors saw the key first";
    QTest::keyClick(qtWindow(), Qt::Key_Comma);
    EXPECT_EQ(chosen, 1) << "without Command the key is a comma";

    const auto consuming = monitor(platform::eventMaskFromType(NSEventType::keyDown), true);
    QTest::keyClick(qtWindow(), Qt::Key_Comma, Qt::MetaModifier);
    EXPECT_EQ(chosen, 1) << "a consumed key reaches no menu";
}

TEST_F(LocalEventRoutingTest, AViewsVisibilityIsReportedOncePerStayOnScreen) {
    std::vector<bool> reports;
    auto view = std::make_shared<View>();
    view->setWidth(10);
    view->setHeight(10);
    observeVisibility(*view, [&reports](bool shown) { reports.push_back(shown); });
    EXPECT_TRUE(reports.empty()) << "in no window";

    pin(*view, *window->contentView(), 50, PinBottom::atMost);
    EXPECT_EQ(reports, (std::vector<bool>{true}));
    window->orderOut();
    window->makeKeyAndOrderFront();
    view->setHidden(true);
    EXPECT_EQ(reports, (std::vector<bool>{true, false, true, false}));

    view->setHidden(false);
    window.reset();
    button.reset();
    view.reset();
    EXPECT_EQ(reports, (std::vector<bool>{true, false, true, false, true, false}))
        << "destroyed while shown";
}

}  // namespace
}  // namespace zoral::ui
