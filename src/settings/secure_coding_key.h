#pragma once

// Settings keys of objects that archive themselves with secure coding. A key with a default
// registers that default, archived once, when it is constructed; an optional key has no default
// and registers nothing.

#include <memory>
#include <string>
#include <utility>

#include "platform/plist_object.h"
#include "platform/user_defaults.h"
#include "settings/defaults_keys.h"
#include "settings/secure_coding_storage.h"

namespace zoral::settings::Defaults {

template <SecureCodingValue Value>
class NSSecureCodingKey final : public Keys {
public:
    NSSecureCodingKey(std::string name, Value defaultValue,
                      std::shared_ptr<platform::UserDefaults> suite = nullptr)
        : Keys(std::move(name), std::move(suite)), defaultValue_(std::move(defaultValue)) {
        registerOnce();
    }

    // A key of an optional value whose default is no value; nothing is registered.
    static NSSecureCodingKey withoutDefault(
        std::string name,
        std::shared_ptr<platform::UserDefaults> suite = nullptr) requires isOptional<Value> {
        return NSSecureCodingKey(std::move(name), Value(), std::move(suite));
    }

    const Value& defaultValue() const { return defaultValue_; }

    // A default that cannot be archived registers nothing, silently; reads then fall back to
    // defaultValue all the same.
    void registerDefault() const override {
        if (detail::isAbsent(defaultValue_))
            return;
        std::optional<platform::PlistObject> object;
        if constexpr (NativeValue<Value>) {
            object = detail::storedObject(defaultValue_).optional();
        } else if (auto data = detail::archivedData(defaultValue_)) {
            object = platform::PlistObject::data(std::move(*data));
        }
        if (!object)
            return;
        platform::PlistDictionary entry;
        entry.emplace(name(), std::move(*object));
        suite()->registerDefaults(entry);
    }

private:
    Value defaultValue_;
};

// The value type is the object type itself; reads give an optional of it.
template <SecureCodingValue Value>
requires(!isOptional<Value>) class NSSecureCodingOptionalKey final : public Keys {
public:
    explicit NSSecureCodingOptionalKey(std::string name,
                                       std::shared_ptr<platform::UserDefaults> suite = nullptr)
        : Keys(std::move(name), std::move(suite)) {}

    // There is no default to register.
    void registerDefault() const override {}
};

}  // namespace zoral::settings::Defaults
