#include "desktop/observer.h"

#include <string>
#include <utility>

#include "desktop/ax_error.h"
#include "platform/output.h"
#include "platform/run_loop.h"

namespace zoral::desktop {

namespace ax = platform::ax;

namespace {

// What the platform calls for each notification, on the run loop that holds the source.
void deliverNotification(const ax::ObserverRef&, ax::Element element,
                         const std::string& notification, const ax::Info& info,
                         const ax::ObserverUserData& userData) {
    // Only Observer registers notifications, always with a reference to itself.
    const auto observer = std::static_pointer_cast<Observer>(userData.lock());
    if (!observer) {
        platform::output::printLine("Observer: userData should be an Observer");
        return;
    }
    const auto wrapped = std::make_shared<UIElement>(element);
    const auto known = platform::fromRawValue<AXNotification>(notification);
    if (!known) {
        platform::output::printLine("Observer: Unknown notification " + notification + " received");
        return;
    }
    if (observer->callback())
        observer->callback()(observer, wrapped, *known, info);
}

std::string pidText(platform::ProcessId pid) {
    return "(pid=" + std::to_string(pid) + ")";
}

}  // namespace

Observer::Observer(platform::ProcessId pid, Callback callback)
    : pid_(pid), callback_(std::move(callback)) {
    auto created = ax::observerCreateWithInfoCallback(pid, deliverNotification);
    if (!created.ok())
        AXError::raise(created.error());
    axObserver_ = created.value();
    platform::output::printLine("Observer: Initialized " + pidText(pid_));
    platform::RunLoop::current().addSource(ax::observerGetRunLoopSource(axObserver_),
                                           platform::RunLoopMode::defaultMode);
}

Observer::~Observer() {
    platform::output::printLine("Observer: Destroyed " + pidText(pid_));
    // The main run loop is the one the source was added to; asking for the current one would
    // stop the process should the last reference go on another queue.
    platform::RunLoop::main().removeSource(ax::observerGetRunLoopSource(axObserver_),
                                           platform::RunLoopMode::defaultMode);
}

void Observer::start() {
    const auto source = ax::observerGetRunLoopSource(axObserver_);
    platform::RunLoop::current().addSource(source, platform::RunLoopMode::defaultMode);
    // Notifications that arrived while stopped wait in the source; deliver them now.
    source->signal();
}

void Observer::stop() {
    platform::RunLoop::current().removeSource(ax::observerGetRunLoopSource(axObserver_),
                                              platform::RunLoopMode::defaultMode);
}

void Observer::addNotification(AXNotification notification, const UIElement& element) {
    const ax::Error code = ax::observerAddNotification(
        axObserver_, element.element(), platform::rawValue(notification), weak_from_this());
    if (code != ax::success && code != ax::notificationAlreadyRegistered)
        AXError::raise(code);
}

void Observer::removeNotification(AXNotification notification, const UIElement& element) {
    const ax::Error code = ax::observerRemoveNotification(axObserver_, element.element(),
                                                          platform::rawValue(notification));
    if (code != ax::success && code != ax::notificationNotRegistered)
        AXError::raise(code);
}

}  // namespace zoral::desktop
