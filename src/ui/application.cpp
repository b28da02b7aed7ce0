#include "ui/application.h"

#include <QApplication>
#include <QInputDevice>
#include <QOpenGLContext>
#include <QPointingDevice>
#include <cstdlib>
#include <memory>

#include "ui/local_event_routing.h"

namespace zoral::ui {

namespace {

// The toolkit's application, which hands the user's input to the local event monitors before
// any widget sees it, and then the key presses to the main menu's key equivalents, as the
// system's application object does.
class GuardedApplication final : public QApplication {
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override {
        if (consumedByLocalMonitors(receiver, event) || performedByMainMenu(receiver, event)) {
            event->accept();
            return true;
        }
        return QApplication::notify(receiver, event);
    }
};

}  // namespace

void ensureApplication() {
    if (QApplication::instance() != nullptr)
        return;
    // The toolkit keeps references to the arguments for the application's whole life.
    static int argc = 1;
    static char name[] = "zoral";
    static char* argv[] = {name, nullptr};
    static std::unique_ptr<QApplication> application;
    application = std::make_unique<GuardedApplication>(argc, argv);
    // One look on every platform the toolkit draws on, the light appearance's.
    QApplication::setStyle(QStringLiteral("Fusion"));
    // The input devices' registry is a global of the toolkit that events (the test events among
    // them) make on first use; made now, it outlives the application, whose devices leave it.
    (void)QPointingDevice::primaryPointingDevice();
    (void)QInputDevice::primaryKeyboard();
    // Likewise the store of the current drawing context, which every window asks as it goes: a
    // window that goes with the application (one the toolkit made for its own use) finds it.
    (void)QOpenGLContext::currentContext();
    // Gone before the toolkit's own globals, which the application made after this static.
    std::atexit([] { application.reset(); });
}

}  // namespace zoral::ui
