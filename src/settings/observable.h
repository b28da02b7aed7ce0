#pragma once

// One setting as an observable object for views: it announces, on the main thread, that the value
// is about to change, whoever changes it.

#include <memory>
#include <utility>

#include "platform/dispatch.h"
#include "settings/defaults.h"
#include "settings/defaults_key.h"
#include "settings/defaults_observation.h"
#include "settings/key_change.h"
#include "settings/observable_object_publisher.h"
#include "settings/user_defaults_key_observation.h"

namespace zoral::settings::Defaults {

template <class Value>
class Observable {
public:
    explicit Observable(Key<Value> key)
        : key_(std::move(key)), objectWillChange_(std::make_shared<ObservableObjectPublisher>()) {
        observation_ = observeKey<Value>(key_, {ObservationOption::prior},
                                         [weak = std::weak_ptr<ObservableObjectPublisher>(
                                              objectWillChange_)](const KeyChange<Value>& change) {
                                             if (!change.isPrior)
                                                 return;
                                             if (platform::isMainThread()) {
                                                 if (auto publisher = weak.lock())
                                                     publisher->send();
                                                 return;
                                             }
                                             platform::DispatchQueue::main().async([weak] {
                                                 if (auto publisher = weak.lock())
                                                     publisher->send();
                                             });
                                         });
    }

    Observable(const Observable&) = delete;
    Observable& operator=(const Observable&) = delete;

    const ObservableObjectPublisher& objectWillChange() const { return *objectWillChange_; }
    const Key<Value>& key() const { return key_; }

    Value currentValue() const { return readValue(key_); }
    // Announces the change on the calling thread (meant to be the main thread), then writes; the
    // observation announces it once more before the value changes.
    void setCurrentValue(const Value& value) {
        objectWillChange_->send();
        writeValue(key_, value);
    }

private:
    Key<Value> key_;
    std::shared_ptr<ObservableObjectPublisher> objectWillChange_;
    std::shared_ptr<DefaultsObservation> observation_;
};

}  // namespace zoral::settings::Defaults
