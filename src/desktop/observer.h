#pragma once

// An accessibility observer of one process: registered notifications reach the callback on the
// main run loop, each with a fresh element for what it concerns. The observer's run-loop source
// is attached from construction until release (or between stop and start); the observer must be
// made, started, stopped and released on the main thread.

#include <functional>
#include <memory>

#include "desktop/ax_vocabulary.h"
#include "desktop/ui_element.h"
#include "platform/accessibility.h"

namespace zoral::desktop {

class Observer final : public std::enable_shared_from_this<Observer> {
public:
    using Callback =
        std::function<void(const std::shared_ptr<Observer>& observer, const UIElementRef& element,
                           AXNotification notification, const platform::ax::Info& info)>;

    // Raises AXError when the system refuses to observe the process. Notifications are
    // registered with a weak reference to this object, so it must be owned by a shared_ptr.
    Observer(platform::ProcessId pid, Callback callback);
    ~Observer();
    Observer(const Observer&) = delete;
    Observer& operator=(const Observer&) = delete;

    platform::ProcessId pid() const { return pid_; }
    const platform::ax::ObserverRef& axObserver() const { return axObserver_; }
    const Callback& callback() const { return callback_; }

    void start();
    void stop();
    // Registering a notification twice, and removing one that is not registered, succeed;
    // every other refusal raises AXError.
    void addNotification(AXNotification notification, const UIElement& element);
    void removeNotification(AXNotification notification, const UIElement& element);

private:
    const platform::ProcessId pid_;
    platform::ax::ObserverRef axObserver_;
    Callback callback_;
};

}  // namespace zoral::desktop
