#pragma once

// A setting as a property of a view: reads and writes go through an observable of the key, so that
// the view learns of every change.

#include <concepts>
#include <functional>
#include <memory>
#include <utility>

#include "settings/defaults_key.h"
#include "settings/defaults_publisher.h"
#include "settings/key_change.h"
#include "settings/observable.h"
#include "settings/publisher.h"

namespace zoral::settings {

// Two-way access to a value that a control shows and edits.
template <class Value>
struct Binding {
    std::function<Value()> get;
    std::function<void(const Value&)> set;
};

template <class Value>
class Default {
public:
    explicit Default(Defaults::Key<Value> key)
        : observable_(std::make_shared<Defaults::Observable<Value>>(std::move(key))) {}

    Value value() const { return observable_->currentValue(); }
    void setValue(const Value& value) const { observable_->setCurrentValue(value); }
    // Reads the value, lets change edit it, and writes the result back.
    template <std::invocable<Value&> Change>
    void modify(Change&& change) const {
        Value value = observable_->currentValue();
        std::forward<Change>(change)(value);
        observable_->setCurrentValue(value);
    }

    Binding<Value> binding() const {
        return Binding<Value>{
            [observable = observable_] { return observable->currentValue(); },
            [observable = observable_](const Value& value) { observable->setCurrentValue(value); }};
    }

    Defaults::Observable<Value>& observable() const { return *observable_; }

    // The changes of the setting, starting with its current value.
    Publisher<Defaults::KeyChange<Value>> changePublisher() const {
        return Defaults::changePublisher(observable_->key(),
                                         {Defaults::ObservationOption::initial});
    }

    // Removes the stored value, so that the registered default applies again.
    void reset() const {
        const auto& key = observable_->key();
        key.suite()->removeObjectForKey(key.name());
    }

private:
    std::shared_ptr<Defaults::Observable<Value>> observable_;
};

}  // namespace zoral::settings
