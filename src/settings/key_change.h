#pragma once

// What an observation of settings delivers: the options it is made with, and its change records,
// untyped as the user defaults report them and typed for one key.

#include <cstdint>
#include <optional>
#include <set>
#include <string_view>
#include <utility>

#include "platform/key_value_observing.h"
#include "platform/plist_object.h"
#include "settings/defaults_storage.h"
#include "settings/native_value.h"

namespace zoral::settings::Defaults {

enum class ObservationOption {
    // Deliver the current value once, while the observation starts.
    initial,
    // Deliver a record before each change as well as after it.
    prior,
};

using ObservationOptions = std::set<ObservationOption>;

// The positions that a change of an ordered to-many property touched.
using IndexSet = std::set<std::uint64_t>;

// New and old values are always asked for; initial wins over prior, so that an observation that
// asks for both gets no prior records.
platform::KeyValueObservingOptions platformOptions(const ObservationOptions& options);

struct BaseChange {
    platform::KeyValueChangeKind kind = platform::KeyValueChangeKind::setting;
    // Present only when the notification carries indexes.
    std::optional<IndexSet> indexes;
    // True on the record sent before a change.
    bool isPrior = false;
    // Absent on a prior record (new), on the initial record (old), and where there is no value.
    std::optional<platform::PlistObject> newValue;
    std::optional<platform::PlistObject> oldValue;

    static BaseChange fromChange(const platform::KeyValueChange& change);

    friend bool operator==(const BaseChange&, const BaseChange&) = default;
};

// An observed object as the key's value type: a native value as itself, anything else from its
// text as stored JSON. No value, silently, when it is absent or does not decode.
template <StorableValue Value>
std::optional<Value> decodeObservedValue(const std::optional<platform::PlistObject>& object) {
    if (!object)
        return std::nullopt;
    if constexpr (NativeValue<Value>) {
        if constexpr (isOptional<Value>) {
            if (auto value = nativeValue<typename Value::value_type>(*object))
                return Value(std::move(*value));
        } else {
            if (auto value = nativeValue<Value>(*object))
                return value;
        }
    }
    if constexpr (JsonCodable<Value>) {
        if (const auto text = objectText(*object)) {
            auto decoded = detail::decodeElementText<Value>(*text);
            if (decoded.ok())
                return std::move(decoded).value();
        }
    }
    return std::nullopt;
}

// A change of one key, with values of the key's type: a value that is missing or does not decode
// reads as the key's default.
template <class Value>
struct KeyChange {
    platform::KeyValueChangeKind kind = platform::KeyValueChangeKind::setting;
    std::optional<IndexSet> indexes;
    bool isPrior = false;
    Value newValue;
    Value oldValue;

    static KeyChange fromBaseChange(const BaseChange& change, const Value& defaultValue) {
        auto oldValue = decodeObservedValue<Value>(change.oldValue);
        auto newValue = decodeObservedValue<Value>(change.newValue);
        return KeyChange{change.kind, change.indexes, change.isPrior,
                         newValue ? std::move(*newValue) : defaultValue,
                         oldValue ? std::move(*oldValue) : defaultValue};
    }

    friend bool operator==(const KeyChange&, const KeyChange&) = default;
};

}  // namespace zoral::settings::Defaults
