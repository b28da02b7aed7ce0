#pragma once

// The change records of secure-coding keys: the untyped record's values as objects of the key's
// class. A value that is missing or does not decode is the key's default in the record of a key
// with a default, and stays absent in the record of an optional key. Decoding failures print
// nothing.

#include <optional>
#include <utility>

#include "platform/key_value_observing.h"
#include "platform/keyed_archive.h"
#include "platform/plist_object.h"
#include "settings/key_change.h"
#include "settings/native_value.h"
#include "settings/secure_coding_storage.h"

namespace zoral::settings::Defaults {

// An observed object as an object of type T: a native value as itself, an archive unarchived.
// Nothing when it is absent, is no archive, or holds an object of another class.
template <class T>
std::optional<T> decodeObservedSecureValue(const std::optional<platform::PlistObject>& object) {
    if (!object)
        return std::nullopt;
    if constexpr (NativeScalar<T>) {
        if (auto value = nativeValue<T>(*object))
            return value;
    }
    if constexpr (platform::KeyedArchivable<T>) {
        if (const auto* data = object->getIf<platform::PlistData>()) {
            try {
                return platform::KeyedUnarchiver::unarchiveTopLevelObjectWithData<T>(*data);
            } catch (const platform::KeyedArchiveError&) {
                return std::nullopt;
            }
        }
    }
    return std::nullopt;
}

template <SecureCodingValue Value>
struct NSSecureCodingKeyChange {
    platform::KeyValueChangeKind kind = platform::KeyValueChangeKind::setting;
    std::optional<IndexSet> indexes;
    bool isPrior = false;
    Value newValue;
    Value oldValue;

    static NSSecureCodingKeyChange fromBaseChange(const BaseChange& change,
                                                  const Value& defaultValue) {
        const auto decode = [&](const std::optional<platform::PlistObject>& object) -> Value {
            if (auto value = decodeObservedSecureValue<ArchivedObject<Value>>(object))
                return Value(std::move(*value));
            return defaultValue;
        };
        Value oldValue = decode(change.oldValue);
        Value newValue = decode(change.newValue);
        return NSSecureCodingKeyChange{change.kind, change.indexes, change.isPrior,
                                       std::move(newValue), std::move(oldValue)};
    }

    friend bool operator==(const NSSecureCodingKeyChange&,
                           const NSSecureCodingKeyChange&) = default;
};

template <SecureCodingValue Value>
requires(!isOptional<Value>) struct NSSecureCodingOptionalKeyChange {
    platform::KeyValueChangeKind kind = platform::KeyValueChangeKind::setting;
    std::optional<IndexSet> indexes;
    bool isPrior = false;
    std::optional<Value> newValue;
    std::optional<Value> oldValue;

    static NSSecureCodingOptionalKeyChange fromBaseChange(const BaseChange& change) {
        auto oldValue = decodeObservedSecureValue<Value>(change.oldValue);
        auto newValue = decodeObservedSecureValue<Value>(change.newValue);
        return NSSecureCodingOptionalKeyChange{change.kind, change.indexes, change.isPrior,
                                               std::move(newValue), std::move(oldValue)};
    }

    friend bool operator==(const NSSecureCodingOptionalKeyChange&,
                           const NSSecureCodingOptionalKeyChange&) = default;
};

}  // namespace zoral::settings::Defaults
