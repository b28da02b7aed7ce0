#include "desktop/system_wide.h"

#include "desktop/application.h"
#include "desktop/window.h"
#include "platform/events.h"
#include "platform/process_state.h"
#include "platform/thread_safety.h"
#include "platform/workspace.h"

namespace zoral::desktop {

namespace {

struct SharedSystemWide {
    platform::Mutex mutex;
    std::shared_ptr<SystemWide> instance ZORAL_GUARDED_BY(mutex);
};

}  // namespace

std::shared_ptr<SystemWide> SystemWide::shared() {
    auto& shared = platform::processPart<SharedSystemWide>();
    const platform::ax::Element current = platform::ax::createSystemWide();
    const platform::MutexLock lock(shared.mutex);
    if (!shared.instance || shared.instance->element() != current)
        shared.instance = std::make_shared<SystemWide>(current);
    return shared.instance;
}

SystemWide::SystemWide(platform::ax::Element element) : UIElement(element) {}

std::shared_ptr<Application> SystemWide::focusedApplication() const {
    if (const auto focused =
            attribute<UIElementRef>(Attribute::focusedApplication).value_or(nullptr)) {
        const auto focusedPid = focused->pid();
        if (!focusedPid || *focusedPid <= 0)
            return nullptr;
        const auto record = platform::runningApplicationWithProcessIdentifier(*focusedPid);
        return record ? Application::make(*record) : nullptr;
    }
    const auto frontmost = platform::frontmostApplication();
    return frontmost ? Application::make(*frontmost) : nullptr;
}

std::shared_ptr<Window> SystemWide::focusedWindow() const {
    if (const auto application = focusedApplication()) {
        if (const auto focused =
                application->attribute<UIElementRef>(Attribute::focusedWindow).value_or(nullptr)) {
            return Window::make(*focused);
        }
    }
    // The application is asked for afresh, not kept from above.
    const auto application = focusedApplication();
    if (!application)
        return nullptr;
    const auto visible = application->windowsMinimized(false);
    return visible.empty() ? nullptr : visible.front();
}

UIElementRef SystemWide::elementAtPosition(double x, double y) const {
    return UIElement::elementAtPosition(static_cast<float>(x), static_cast<float>(y));
}

UIElementRef SystemWide::elementUnderMouse() const {
    // An empty event carries the pointer's location.
    const auto event = platform::eventCreate();
    return event ? elementAtPosition(event->location.x, event->location.y) : nullptr;
}

}  // namespace zoral::desktop
