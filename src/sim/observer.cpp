#include "sim/observer.h"

#include <algorithm>

#include "platform/dispatch.h"
#include "platform/scheduler.h"
#include "sim/node.h"

namespace zoral::sim {

namespace ax = platform::ax;

SimObserver::SimObserver(platform::ProcessId pid, ax::ObserverCallback callback)
    : pid_(pid), callback_(std::move(callback)) {}

ax::ObserverRef SimObserver::make(platform::ProcessId pid, ax::ObserverCallback callback) {
    auto observer = std::make_shared<ax::Observer>(pid, std::move(callback));
    // The source holds the observer weakly: a released observer delivers nothing.
    observer->source_ =
        std::make_shared<platform::RunLoopSource>([weak = std::weak_ptr<SimObserver>(observer)] {
            if (auto self = weak.lock())
                self->deliverPending();
        });
    return observer;
}

SimObserver::~SimObserver() {
    if (source_)
        source_->invalidate();
}

ax::Error SimObserver::add(ax::Element element, std::string notification,
                           ax::ObserverUserData userData) {
    if (find(element, notification) != nullptr)
        return ax::notificationAlreadyRegistered;
    registrations_.push_back({element, std::move(notification), std::move(userData)});
    return ax::success;
}

ax::Error SimObserver::remove(ax::Element element, const std::string& notification) {
    const auto before = registrations_.size();
    std::erase_if(registrations_, [&](const Registration& r) {
        return r.element == element && r.notification == notification;
    });
    return registrations_.size() == before ? ax::notificationNotRegistered : ax::success;
}

bool SimObserver::isRegistered(ax::Element element, const std::string& notification) const {
    return find(element, notification) != nullptr;
}

const SimObserver::Registration* SimObserver::find(ax::Element element,
                                                   const std::string& notification) const {
    auto found = std::find_if(registrations_.begin(), registrations_.end(), [&](const auto& r) {
        return r.element == element && r.notification == notification;
    });
    return found == registrations_.end() ? nullptr : &*found;
}

void SimObserver::offer(std::span<const ax::Element> lineage, const std::string& notification,
                        const ax::Info& info) {
    if (lineage.empty())
        return;
    for (const Registration& registration : registrations_) {
        if (registration.notification == notification &&
            std::find(lineage.begin(), lineage.end(), registration.element) != lineage.end()) {
            pending_.push_back({registration.element, lineage.front(), notification, info});
            source_->signal();
            return;
        }
    }
}

void SimObserver::deliverPending() {
    // What has come goes now, in the order it came.
    std::deque<Pending> batch;
    batch.swap(pending_);
    const auto self = std::static_pointer_cast<ax::Observer>(shared_from_this());
    for (const Pending& item : batch) {
        // Removed since it was queued: never delivered.
        const Registration* registration = find(item.registeredOn, item.notification);
        if (registration == nullptr || !callback_)
            continue;
        const ax::ObserverUserData userData = registration->userData;
        callback_(self, item.element, item.notification, item.info, userData);
    }
}

}  // namespace zoral::sim
