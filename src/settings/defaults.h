#pragma once

// Reading, writing and resetting settings through their keys. Nothing is cached: each read fetches
// and decodes the stored value anew, and each write is visible to every later read at once.
// Failures never reach the caller: a read gives the default when nothing usable is stored.

#include <concepts>
#include <initializer_list>
#include <span>
#include <string>
#include <utility>

#include "platform/user_defaults.h"
#include "settings/defaults_key.h"
#include "settings/defaults_keys.h"
#include "settings/defaults_storage.h"

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

// Reads the value, lets change edit it in place, and writes the result back; the write happens
// also when change leaves the value as it was, or throws.
template <class Value, std::invocable<Value&> Change>
void updateValue(const Key<Value>& key, Change&& change) {
    Value value = readValue(key);
    try {
        std::forward<Change>(change)(value);
    } catch (...) {
        writeValue(key, value);
        throw;
    }
    writeValue(key, value);
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
