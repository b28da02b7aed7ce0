#pragma once

// A typed settings key: a name, a suite and a default value, registered in the suite's
// registration domain (never written to the user's settings) when the key is constructed, so that
// every lookup of the suite answers with it while nothing is stored.

#include <memory>
#include <string>
#include <type_traits>
#include <utility>

#include "platform/plist_object.h"
#include "platform/user_defaults.h"
#include "settings/defaults_keys.h"
#include "settings/defaults_storage.h"

namespace zoral::settings::Defaults {

template <class Value>
class Key final : public Keys {
    static_assert(StorableValue<Value>,
                  "a setting holds a native value or a value with a JsonCoding");
    // Only std::int64_t, double and float are native numbers; an int or an unsigned would quietly
    // be stored as JSON text instead.
    static_assert(!std::is_arithmetic_v<Value> || NativeValue<Value>,
                  "an Int setting is std::int64_t, a floating one double or float");

public:
    Key(std::string name, Value defaultValue,
        std::shared_ptr<platform::UserDefaults> suite = nullptr)
        : Keys(std::move(name), std::move(suite)), defaultValue_(std::move(defaultValue)) {
        registerOnce();
    }

    // A key of an optional value whose default is no value; nothing is registered.
    static Key withoutDefault(std::string name, std::shared_ptr<platform::UserDefaults> suite =
                                                    nullptr) requires isOptional<Value> {
        return Key(std::move(name), Value(), std::move(suite));
    }

    const Value& defaultValue() const { return defaultValue_; }

    // Registers nothing for an absent optional default, and nothing (after printing why) for a
    // default that cannot be encoded; reads then fall back to defaultValue all the same.
    void registerDefault() const override {
        if (detail::isAbsent(defaultValue_))
            return;
        auto object = detail::storedObject(defaultValue_);
        if (!object.ok()) {
            detail::reportEncodingFailure(name(), object.error());
            return;
        }
        platform::PlistDictionary entry;
        entry.emplace(name(), std::move(object).value());
        suite()->registerDefaults(entry);
    }

private:
    Value defaultValue_;
};

}  // namespace zoral::settings::Defaults
