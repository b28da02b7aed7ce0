#pragma once

// Announces that an object is about to change, to every subscriber, without saying how.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>

#include "platform/thread_safety.h"
#include "settings/publisher.h"

namespace zoral::settings {

class ObservableObjectPublisher {
public:
    ObservableObjectPublisher();

    // The receiver runs on the thread that sends, once per send, until the subscription ends.
    [[nodiscard]] Cancellable subscribe(std::function<void()> receive) const;
    void send() const;

private:
    struct State {
        platform::Mutex mutex;
        std::uint64_t nextId ZORAL_GUARDED_BY(mutex) = 1;
        std::map<std::uint64_t, std::shared_ptr<const std::function<void()>>> receivers
            ZORAL_GUARDED_BY(mutex);
    };
    std::shared_ptr<State> state_;
};

}  // namespace zoral::settings
