#pragma once

// Announces that an object is about to change, to every subscriber, without saying how.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>

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
        std::mutex mutex;
        std::uint64_t nextId = 1;
        std::map<std::uint64_t, std::shared_ptr<const std::function<void()>>> receivers;
    };
    std::shared_ptr<State> state_;
};

}  // namespace zoral::settings
