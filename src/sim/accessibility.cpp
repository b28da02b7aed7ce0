// The platform's accessibility calls, answered by the simulated desktop.

#include "platform/accessibility.h"

#include <algorithm>

#include "platform/scheduler.h"
#include "sim/observer.h"
#include "sim/window_node.h"
#include "sim/window_server.h"
#include "sim/world.h"

namespace zoral::platform::ax {

using sim::RoundTrip;
using sim::World;

Element createSystemWide() {
    return World::current().systemWide()->element();
}

Element createApplication(ProcessId pid) {
    // The system hands out a reference even for a process that is gone; calls
    // on it then fail, and it keeps the process identifier.
    return World::current().applicationElement(pid);
}

Result<Value> copyAttributeValue(Element element, std::string_view attribute) {
    World& world = World::current();
    if (Error error = world.beginRoundTrip(RoundTrip::copyAttributeValue, element, attribute)) {
        return error;
    }
    return world.resolve(element)->read(world, attribute);
}

Result<std::vector<std::string>> copyAttributeNames(Element element) {
    World& world = World::current();
    if (Error error = world.beginRoundTrip(RoundTrip::copyAttributeNames, element, "")) {
        return error;
    }
    return world.resolve(element)->attributeNames();
}

Result<bool> isAttributeSettable(Element element, std::string_view attribute) {
    World& world = World::current();
    if (Error error = world.beginRoundTrip(RoundTrip::isAttributeSettable, element, attribute)) {
        return error;
    }
    return world.resolve(element)->isSettable(attribute);
}

Error setAttributeValue(Element element, std::string_view attribute, const Value& value) {
    World& world = World::current();
    if (Error error = world.beginRoundTrip(RoundTrip::setAttributeValue, element, attribute)) {
        return error;
    }
    return world.resolve(element)->write(world, attribute, value);
}

Result<std::vector<std::string>> copyActionNames(Element element) {
    World& world = World::current();
    if (Error error = world.beginRoundTrip(RoundTrip::copyActionNames, element, ""))
        return error;
    return world.resolve(element)->actions();
}

Error performAction(Element element, std::string_view action) {
    World& world = World::current();
    if (Error error = world.beginRoundTrip(RoundTrip::performAction, element, action)) {
        return error;
    }
    return world.resolve(element)->perform(world, action);
}

Result<ProcessId> getPid(Element element) {
    // Answered from the reference itself, without a round trip: an element of a
    // process that has quit keeps its identifier.
    if (!element)
        return illegalArgument;
    World& world = World::current();
    const auto pid = world.pidOf(element);
    if (!pid)
        return invalidUIElement;
    if (const sim::Process* process = world.process(*pid);
        process != nullptr && process->pidUnreadable) {
        return failure;
    }
    return *pid;
}

Result<std::uint32_t> getWindow(Element element) {
    World& world = World::current();
    if (Error error = world.beginRoundTrip(RoundTrip::getWindow, element, ""))
        return error;
    const auto window = std::dynamic_pointer_cast<sim::WindowNode>(world.resolve(element));
    if (!window)
        return illegalArgument;
    return static_cast<std::uint32_t>(window->windowNumber());
}

Result<Element> copyElementAtPosition(Element element, float x, float y) {
    World& world = World::current();
    const double start = uptimeSeconds();
    if (Error error = world.beginRoundTrip(RoundTrip::copyElementAtPosition, element, "")) {
        return error;
    }
    const auto receiver = world.resolve(element);
    std::optional<ProcessId> only;
    if (receiver != world.systemWide())
        only = receiver->pid();
    const auto hit = sim::WindowServer::of(world).hitTest(
        world, {static_cast<double>(x), static_cast<double>(y)}, only);
    if (!hit)
        return noValue;
    // The window server finds the window; its application names the element, and one that has
    // stopped answering keeps the caller waiting for the whole time-out.
    if (const sim::Process* owner = world.process(hit->pid()); owner != nullptr && owner->hung) {
        sleepFor(std::max(0.0, world.messagingTimeout(element) - (uptimeSeconds() - start)));
        return cannotComplete;
    }
    return hit->element();
}

Error setMessagingTimeout(Element element, float seconds) {
    World& world = World::current();
    if (!world.resolve(element))
        return invalidUIElement;
    if (seconds < 0)
        return illegalArgument;
    world.setMessagingTimeout(element, static_cast<double>(seconds));
    return success;
}

bool isProcessTrusted() {
    return World::current().isTrusted();
}

bool isProcessTrustedWithOptions(bool prompt) {
    World& world = World::current();
    if (prompt && !world.isTrusted())
        world.recordTrustPrompt();
    return world.isTrusted();
}

Result<ObserverRef> observerCreateWithInfoCallback(ProcessId pid, ObserverCallback callback) {
    World& world = World::current();
    if (!world.isTrusted())
        return apiDisabled;
    if (pid <= 0 || !callback)
        return illegalArgument;
    // A process that is not running (or no longer) has no element to observe.
    if (world.process(pid) == nullptr)
        return invalidUIElement;
    ObserverRef observer = sim::SimObserver::make(pid, std::move(callback));
    world.addObserver(observer);
    return observer;
}

Error observerAddNotification(const ObserverRef& observer, Element element,
                              std::string_view notification, ObserverUserData userData) {
    if (!World::current().isTrusted())
        return apiDisabled;
    if (!observer)
        return invalidUIElementObserver;
    if (!World::current().resolve(element))
        return invalidUIElement;
    return observer->add(element, std::string(notification), std::move(userData));
}

Error observerRemoveNotification(const ObserverRef& observer, Element element,
                                 std::string_view notification) {
    if (!World::current().isTrusted())
        return apiDisabled;
    if (!observer)
        return invalidUIElementObserver;
    return observer->remove(element, std::string(notification));
}

std::shared_ptr<RunLoopSource> observerGetRunLoopSource(const ObserverRef& observer) {
    return observer ? observer->source() : nullptr;
}

}  // namespace zoral::platform::ax
