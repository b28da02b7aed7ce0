#include "settings/defaults_publisher.h"

#include <utility>
#include <vector>

namespace zoral::settings::Defaults {

Publisher<BaseChange> DefaultsPublisher::eraseToAnyPublisher() const {
    return Publisher<BaseChange>(
        [publisher = *this](std::shared_ptr<Subscriber<BaseChange>> subscriber) {
            publisher.receive(std::move(subscriber));
        });
}

Publisher<KeysChange> keysChangePublisher(std::span<const Keys* const> keys,
                                          const ObservationOptions& options) {
    std::vector<Publisher<KeysChange>> publishers;
    for (const Keys* key : keys) {
        publishers.push_back(
            DefaultsPublisher{key->suite(), key->name(), options}.eraseToAnyPublisher().map(
                [](const BaseChange&) { return KeysChange{}; }));
    }
    return Publisher<KeysChange>::merge(std::move(publishers));
}

Publisher<KeysChange> keysChangePublisher(std::initializer_list<const Keys*> keys,
                                          const ObservationOptions& options) {
    return keysChangePublisher(std::span<const Keys* const>(keys.begin(), keys.size()), options);
}

}  // namespace zoral::settings::Defaults
