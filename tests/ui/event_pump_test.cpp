#include "ui/event_pump.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <memory>
#include <optional>

#include <gtest/gtest.h>

#include "ui/application.h"
#include "ui_world.h"

namespace zoral::ui {
namespace {

// Counts the events the toolkit delivers to it.
class Receiver final : public QObject {
public:
    bool event(QEvent* event) override {
        if (event->type() == QEvent::User) {
            ++delivered;
            return true;
        }
        return QObject::event(event);
    }
    int delivered = 0;
};

class EventPumpTest : public testing::UiWorldTest {
protected:
    EventPumpTest() { ensureApplication(); }
    void post() { QCoreApplication::postEvent(&receiver, new QEvent(QEvent::User)); }

    Receiver receiver;
};

// The toolkit's events wait for the program's clock: the pump delivers them at its pace of virtual
// time, and nothing delivers them once it is gone.
TEST_F(EventPumpTest, DeliversTheToolkitsEventsOnTheProgramsClock) {
    auto pump = std::make_optional<ToolkitEventPump>(0.1);
    post();
    scheduler().advance(0.05);
    EXPECT_EQ(receiver.delivered, 0) << "no event loop of the toolkit's own";
    scheduler().advance(0.05);
    EXPECT_EQ(receiver.delivered, 1);
    post();
    scheduler().advance(0.1);
    EXPECT_EQ(receiver.delivered, 2);

    pump.reset();
    post();
    scheduler().advance(1);
    EXPECT_EQ(receiver.delivered, 2);
    EXPECT_EQ(scheduler().pendingCount(), 0U) << "the pump leaves no work behind";
    processToolkitEvents();
    EXPECT_EQ(receiver.delivered, 3) << "delivered at once when asked";
}

}  // namespace
}  // namespace zoral::ui
