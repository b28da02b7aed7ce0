#include "settings/observable_object_publisher.h"

#include <utility>
#include <vector>

namespace zoral::settings {

ObservableObjectPublisher::ObservableObjectPublisher() : state_(std::make_shared<State>()) {}

Cancellable ObservableObjectPublisher::subscribe(std::function<void()> receive) const {
    std::uint64_t id = 0;
    {
        const platform::MutexLock lock(state_->mutex);
        id = state_->nextId++;
        state_->receivers.emplace(
            id, std::make_shared<const std::function<void()>>(std::move(receive)));
    }
    return Cancellable([weak = std::weak_ptr<State>(state_), id] {
        auto state = weak.lock();
        if (!state)
            return;
        std::shared_ptr<const std::function<void()>> removed;
        const platform::MutexLock lock(state->mutex);
        if (auto found = state->receivers.find(id); found != state->receivers.end()) {
            removed = std::move(found->second);
            state->receivers.erase(found);
        }
    });
}

void ObservableObjectPublisher::send() const {
    std::vector<std::shared_ptr<const std::function<void()>>> receivers;
    {
        const platform::MutexLock lock(state_->mutex);
        for (const auto& [id, receiver] : state_->receivers)
            receivers.push_back(receiver);
    }
    // Called without the lock, so that a receiver may subscribe or cancel.
    for (const auto& receiver : receivers)
        (*receiver)();
}

}  // namespace zoral::settings
