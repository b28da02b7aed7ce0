#pragma once

// Reading, writing and resetting settings through their keys. Nothing is cached: each read fetches
// and decodes the stored value anew, and each write is visible to every later read at once.
// Failures never reach the caller: a read gives the default when nothing usable is stored.

#include <concepts>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <utility>

#include "platform/user_defaults.h"
#include "settings/defaults_key.h"
#include "settings/defaults_keys.h"
#include "settings/defaults_storage.h"
#include "settings/secure_coding_key.h"
#include "settings/secure_coding_storage.h"

namespace zoral::settings {

// Removes every key that the suite shows, stored in its own domain or not; registered defaults
// stay, so every setting reads its default afterwards.
void removeAllKeys(platform::UserDefaults& suite);

namespace Defaults {

template <class Value>
Value readValue(const Key<Value>& key) {
    if (auto stored = storedValue<Value>(*key.suite(), key.name()))
        return std::move(*stored);
    return key.defaultValue();
}

template <class Value>
void writeValue(const Key<Value>& key, const Value& value) {
    storeValue(*key.suite(), key.name(), value);
}

namespace detail {

// Lets change edit the value in place, then writes it; the write happens also when change leaves
// the value as it was, or throws.
template <class Value, class Change, class Write>
void changeInPlace(Value value, Change&& change, const Write& write) {
    try {
        std::forward<Change>(change)(value);
    } catch (...) {
        write(value);
        throw;
    }
    write(value);
}

}  // namespace detail

// Reads the value, lets change edit it in place, and writes the result back; the write happens
// also when change leaves the value as it was, or throws.
template <class Value, std::invocable<Value&> Change>
void updateValue(const Key<Value>& key, Change&& change) {
    detail::changeInPlace(readValue(key), std::forward<Change>(change),
                          [&](const Value& value) { writeValue(key, value); });
}

// The same for secure-coding keys: values are archived objects (or native values as such).
template <class Value>
Value readSecureValue(const NSSecureCodingKey<Value>& key) {
    if (auto stored = storedSecureValue<Value>(*key.suite(), key.name()))
        return std::move(*stored);
    return key.defaultValue();
}

template <class Value>
std::optional<Value> readOptionalSecureValue(const NSSecureCodingOptionalKey<Value>& key) {
    return storedSecureValue<Value>(*key.suite(), key.name());
}

template <class Value>
void writeSecureValue(const NSSecureCodingKey<Value>& key, const Value& value) {
    storeSecureValue(*key.suite(), key.name(), value);
}

// No value removes the entry.
template <class Value>
void writeOptionalSecureValue(const NSSecureCodingOptionalKey<Value>& key,
                              const std::optional<Value>& value) {
    if (!value) {
        key.suite()->setURL(std::nullopt, key.name());
        return;
    }
    storeSecureValue(*key.suite(), key.name(), *value);
}

template <class Value, std::invocable<Value&> Change>
void updateSecureValue(const NSSecureCodingKey<Value>& key, Change&& change) {
    detail::changeInPlace(readSecureValue(key), std::forward<Change>(change),
                          [&](const Value& value) { writeSecureValue(key, value); });
}

template <class Value, std::invocable<std::optional<Value>&> Change>
void updateOptionalSecureValue(const NSSecureCodingOptionalKey<Value>& key, Change&& change) {
    detail::changeInPlace(
        readOptionalSecureValue(key), std::forward<Change>(change),
        [&](const std::optional<Value>& value) { writeOptionalSecureValue(key, value); });
}

// Removes each key's stored value from its own suite, in order, so that it reads its default.
void resetKeys(std::span<const Keys* const> keys);
void resetKeys(std::initializer_list<const Keys*> keys);

template <std::derived_from<Keys>... K>
void resetKeys(const K&... keys) {
    resetKeys({static_cast<const Keys*>(&keys)...});
}

// The same for bare names, all in one suite.
void resetNames(std::span<const std::string> names, platform::UserDefaults& suite);

inline void removeAllKeys(platform::UserDefaults& suite) {
    settings::removeAllKeys(suite);
}

}  // namespace Defaults
}  // namespace zoral::settings
