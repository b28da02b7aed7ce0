#pragma once

// The storage form of a secure-coding setting: a native value as itself, any other object as the
// data of its keyed archive, made with secure coding required. An archive that cannot be read
// prints one line and reads as nothing; a value that cannot be archived is dropped without a
// message.

#include <optional>
#include <string_view>
#include <utility>

#include "platform/keyed_archive.h"
#include "platform/plist_object.h"
#include "platform/user_defaults.h"
#include "settings/defaults_storage.h"
#include "settings/native_value.h"

namespace zoral::settings {

namespace detail {
template <class T>
struct ArchivedObject {
    using type = T;
};
template <class T>
struct ArchivedObject<std::optional<T>> {
    using type = T;
};
}  // namespace detail

// The object type of a secure-coding setting's value: the value type itself, or what an optional
// value type holds.
template <class T>
using ArchivedObject = typename detail::ArchivedObject<T>::type;

// A value type that a secure-coding setting can keep: a native value, an object that archives
// itself with secure coding (or an array of such objects), or an optional of one.
template <class T>
concept SecureCodingValue = NativeValue<T> ||
    (platform::KeyedArchivable<ArchivedObject<T>>&&
         platform::supportsSecureCoding<ArchivedObject<T>>());

namespace Defaults {

namespace detail {

template <class T>
const ArchivedObject<T>& archivedObject(const T& value) {
    if constexpr (isOptional<T>) {
        return *value;
    } else {
        return value;
    }
}

// The archive of a present value; no data when the value cannot be archived.
template <SecureCodingValue T>
std::optional<platform::PlistData> archivedData(const T& value) {
    try {
        return platform::KeyedArchiver::archivedDataWithRootObject(archivedObject(value), true);
    } catch (const platform::KeyedArchiveError&) {
        return std::nullopt;
    }
}

// The object unarchived from the data; nothing when the data is no archive or holds an object of
// another class, with one line printed for the first.
template <platform::KeyedArchivable T>
std::optional<T> unarchivedObject(const platform::PlistData& data, std::string_view name) {
    try {
        return platform::KeyedUnarchiver::unarchiveTopLevelObjectWithData<T>(data);
    } catch (const platform::KeyedArchiveError& error) {
        reportDecodingFailure(name, error.description());
        return std::nullopt;
    }
}

}  // namespace detail

// The value stored (or registered) under the name, or none when nothing usable is there.
template <SecureCodingValue T>
std::optional<T> storedSecureValue(const platform::UserDefaults& suite, std::string_view name) {
    if constexpr (NativeValue<T>) {
        return storedValue<T>(suite, name);
    } else {
        const auto data = suite.dataForKey(name);
        if (!data)
            return std::nullopt;
        auto object = detail::unarchivedObject<ArchivedObject<T>>(*data, name);
        if (!object)
            return std::nullopt;
        return T(std::move(*object));
    }
}

// Stores the value in its storage form; an absent optional removes the entry. A value that cannot
// be archived changes nothing: the stored value stays as it was.
template <SecureCodingValue T>
void storeSecureValue(platform::UserDefaults& suite, std::string_view name, const T& value) {
    if constexpr (NativeValue<T>) {
        storeValue(suite, name, value);
    } else {
        if (detail::isAbsent(value)) {
            suite.removeObjectForKey(name);
            return;
        }
        if (auto data = detail::archivedData(value))
            suite.setObject(platform::PlistObject::data(std::move(*data)), name);
    }
}

}  // namespace Defaults
}  // namespace zoral::settings
