#pragma once

// Plain records read from and written as JSON, strictly: a record type lists its keys once, in a
// table of fields (FieldTable<Record>), and reading refuses what the table does not hold (an
// unknown key, a value of the wrong type, a required key left out, a value that a field's check
// refuses), naming the place of the fault ("processes[0].children[1].window.number"). Writing
// gives what reading takes, leaving out the fields that hold their default.
//
//   template <> struct FieldTable<Display> {
//       static constexpr auto fields = std::tuple{
//           field("frame", &Display::frame).required(),
//           field("menuBarHeight", &Display::menuBarHeight).checked(notNegative),
//       };
//   };
//
// Values: bool, std::int64_t, finite doubles, strings, std::optional (absent when none),
// std::vector (arrays), std::map with string keys (objects), enumerations with a NameTable,
// points [x, y], sizes [w, h] (not negative) and rectangles [x, y, w, h], and records. A type of
// its own gets a Codec specialisation.

#include <array>
#include <cmath>
#include <cstdint>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/geometry.h"
#include "platform/json.h"

namespace zoral::sim::json_codec {

using platform::Json;

// Where a value lies in the document, as a path of keys and indices.
class Place {
public:
    Place() = default;
    Place key(std::string_view name) const;
    Place index(std::size_t position) const;
    const std::string& text() const { return text_; }

private:
    explicit Place(std::string text) : text_(std::move(text)) {}
    std::string text_;
};

// A fault of the document: its place and what is wrong there.
class FormatError : public std::runtime_error {
public:
    FormatError(const Place& place, const std::string& what);
    const std::string& place() const { return place_; }
    const std::string& reason() const { return reason_; }

private:
    std::string place_;
    std::string reason_;
};

[[noreturn]] void fail(const Place& place, const std::string& what);

// How a type is read and written. Specialised below for the value types, and for records (types
// with a FieldTable) and enumerations (types with a NameTable) generically.
template <class T, class = void>
struct Codec;

template <class T>
T read(const Json& json, const Place& place) {
    return Codec<T>::read(json, place);
}

template <class T>
Json write(const T& value) {
    return Codec<T>::write(value);
}

template <>
struct Codec<bool> {
    static bool read(const Json& json, const Place& place);
    static Json write(bool value) { return value; }
};

template <>
struct Codec<std::int64_t> {
    static std::int64_t read(const Json& json, const Place& place);
    static Json write(std::int64_t value) { return value; }
};

template <>
struct Codec<double> {
    static double read(const Json& json, const Place& place);
    static Json write(double value) { return value; }
};

template <>
struct Codec<std::string> {
    static std::string read(const Json& json, const Place& place);
    static Json write(const std::string& value) { return value; }
};

template <>
struct Codec<platform::CGPoint> {
    static platform::CGPoint read(const Json& json, const Place& place);
    static Json write(const platform::CGPoint& value);
};

// A size is never negative.
template <>
struct Codec<platform::CGSize> {
    static platform::CGSize read(const Json& json, const Place& place);
    static Json write(const platform::CGSize& value);
};

// A rectangle's size is never negative.
template <>
struct Codec<platform::CGRect> {
    static platform::CGRect read(const Json& json, const Place& place);
    static Json write(const platform::CGRect& value);
};

// A fixed number of numbers, as an array: [a, b, c].
template <std::size_t N>
struct Codec<std::array<std::int64_t, N>> {
    static std::array<std::int64_t, N> read(const Json& json, const Place& place) {
        if (!json.is_array() || json.size() != N)
            fail(place, "expected an array of " + std::to_string(N) + " integers");
        std::array<std::int64_t, N> result{};
        for (std::size_t i = 0; i < N; ++i)
            result[i] = Codec<std::int64_t>::read(json[i], place.index(i));
        return result;
    }
    static Json write(const std::array<std::int64_t, N>& value) {
        Json json = Json::array();
        for (const auto item : value)
            json.push_back(item);
        return json;
    }
};

template <class T>
struct Codec<std::vector<T>> {
    static std::vector<T> read(const Json& json, const Place& place) {
        if (!json.is_array())
            fail(place, "expected an array");
        std::vector<T> result;
        result.reserve(json.size());
        for (std::size_t i = 0; i < json.size(); ++i)
            result.push_back(Codec<T>::read(json[i], place.index(i)));
        return result;
    }
    static Json write(const std::vector<T>& value) {
        Json json = Json::array();
        for (const T& item : value)
            json.push_back(Codec<T>::write(item));
        return json;
    }
};

template <class T>
struct Codec<std::map<std::string, T>> {
    static std::map<std::string, T> read(const Json& json, const Place& place) {
        if (!json.is_object())
            fail(place, "expected an object");
        std::map<std::string, T> result;
        for (auto entry = json.begin(); entry != json.end(); ++entry)
            result.emplace(entry.key(), Codec<T>::read(entry.value(), place.key(entry.key())));
        return result;
    }
    static Json write(const std::map<std::string, T>& value) {
        Json json = Json::object();
        for (const auto& [key, item] : value)
            json[key] = Codec<T>::write(item);
        return json;
    }
};

// --- Enumerations: the names of the cases, in a table.

template <class Enum>
struct NameTable;  // static constexpr std::array<std::pair<Enum, std::string_view>, N> names;

template <class T>
concept Named = requires {
    NameTable<T>::names;
};

std::string joinedNames(const std::string_view* names, std::size_t count);

template <Named Enum>
struct Codec<Enum> {
    static Enum read(const Json& json, const Place& place) {
        if (json.is_string()) {
            const auto& text = json.get_ref<const std::string&>();
            for (const auto& [value, name] : NameTable<Enum>::names) {
                if (name == text)
                    return value;
            }
        }
        std::array<std::string_view, NameTable<Enum>::names.size()> names{};
        for (std::size_t i = 0; i < names.size(); ++i)
            names[i] = NameTable<Enum>::names[i].second;
        fail(place, "expected " + joinedNames(names.data(), names.size()));
    }
    static Json write(Enum value) {
        for (const auto& [known, name] : NameTable<Enum>::names) {
            if (known == value)
                return std::string(name);
        }
        return nullptr;
    }
};

// --- Records

// Refuses a value a field cannot take: gives why, or null when the value is fine.
template <class T>
using Check = const char* (*)(const T&);

template <class T>
struct Unwrapped {
    using type = T;
};
template <class T>
struct Unwrapped<std::optional<T>> {
    using type = T;
};

// One key of a record: its name, the member that holds it, whether it must be given, a check of
// its value (of the value inside, for an optional member), and whether it is written even when it
// holds its default.
template <class Record, class T>
struct Field {
    std::string_view name;
    T Record::*member;
    bool isRequired = false;
    Check<typename Unwrapped<T>::type> check = nullptr;
    bool isAlwaysWritten = false;

    constexpr Field required() const {
        Field copy = *this;
        copy.isRequired = true;
        return copy;
    }
    constexpr Field checked(Check<typename Unwrapped<T>::type> refuses) const {
        Field copy = *this;
        copy.check = refuses;
        return copy;
    }
    constexpr Field alwaysWritten() const {
        Field copy = *this;
        copy.isAlwaysWritten = true;
        return copy;
    }
};

template <class Record, class T>
constexpr Field<Record, T> field(std::string_view name, T Record::*member) {
    return {name, member};
}

// The keys of a record kept in a member record, written at the record's own level.
template <class Record, class Inner>
struct Inlined {
    Inner Record::*member;
};

template <class Record, class Inner>
constexpr Inlined<Record, Inner> inlined(Inner Record::*member) {
    return {member};
}

template <class Record>
struct FieldTable;  // static constexpr auto fields = std::tuple{field(...), inlined(...), ...};

template <class T>
concept HasFields = requires {
    FieldTable<T>::fields;
};

template <class Entry>
struct InlinedRecord;
template <class Record, class Inner>
struct InlinedRecord<Inlined<Record, Inner>> {
    using type = Inner;
};

// Calls visit(field, member of each record) for every field, inlined ones included.
template <class Record, class Visit, class... Records>
void forEachField(Visit&& visit, Records&... records) {
    std::apply(
        [&](const auto&... entries) {
            (
                [&](const auto& entry) {
                    using Entry = std::remove_cvref_t<decltype(entry)>;
                    if constexpr (requires { entry.name; }) {
                        visit(entry, (records.*entry.member)...);
                    } else {
                        forEachField<typename InlinedRecord<Entry>::type>(
                            visit, (records.*entry.member)...);
                    }
                }(entries),
                ...);
        },
        FieldTable<Record>::fields);
}

// Calls visit(name) for every key of the record, inlined ones included.
template <class Record, class Visit>
void forEachKey(Visit&& visit) {
    std::apply(
        [&](const auto&... entries) {
            (
                [&](const auto& entry) {
                    using Entry = std::remove_cvref_t<decltype(entry)>;
                    if constexpr (requires { entry.name; }) {
                        visit(entry.name);
                    } else {
                        forEachKey<typename InlinedRecord<Entry>::type>(visit);
                    }
                }(entries),
                ...);
        },
        FieldTable<Record>::fields);
}

// The names of all keys of the record, for messages.
template <class Record>
std::string knownKeys() {
    std::vector<std::string_view> names;
    forEachKey<Record>([&](std::string_view name) { names.push_back(name); });
    return joinedNames(names.data(), names.size());
}

template <class Record>
bool hasKey(std::string_view key) {
    bool found = false;
    forEachKey<Record>([&](std::string_view name) { found = found || name == key; });
    return found;
}

template <class T>
typename Unwrapped<T>::type readMember(const Json& json, const Place& place) {
    return Codec<typename Unwrapped<T>::type>::read(json, place);
}

template <HasFields Record>
struct Codec<Record> {
    static Record read(const Json& json, const Place& place) {
        if (!json.is_object())
            fail(place, "expected an object");
        for (auto entry = json.begin(); entry != json.end(); ++entry) {
            if (!hasKey<Record>(entry.key())) {
                fail(place.key(entry.key()), "unknown key (expected " + knownKeys<Record>() + ")");
            }
        }
        Record record{};
        forEachField<Record>(
            [&](const auto& field, auto& member) {
                using T = std::remove_cvref_t<decltype(member)>;
                const auto found = json.find(field.name);
                if (found == json.end()) {
                    if (field.isRequired)
                        fail(place, "needs \"" + std::string(field.name) + "\"");
                    return;
                }
                const Place at = place.key(field.name);
                auto value = readMember<T>(*found, at);
                if (field.check != nullptr) {
                    if (const char* why = field.check(value))
                        fail(at, why);
                }
                member = std::move(value);
            },
            record);
        return record;
    }

    static Json write(const Record& record) {
        Json json = Json::object();
        const Record defaults{};
        forEachField<Record>(
            [&](const auto& field, const auto& member, const auto& fallback) {
                using T = std::remove_cvref_t<decltype(member)>;
                if (!field.isRequired && !field.isAlwaysWritten && member == fallback)
                    return;
                if constexpr (std::is_same_v<T, typename Unwrapped<T>::type>) {
                    json[std::string(field.name)] = Codec<T>::write(member);
                } else if (member) {
                    json[std::string(field.name)] =
                        Codec<typename Unwrapped<T>::type>::write(*member);
                }
            },
            record, defaults);
        return json;
    }
};

// --- Checks shared by the tables

constexpr const char* notNegative(const double& value) {
    return value < 0 ? "must not be negative" : nullptr;
}

constexpr const char* notNegativeInteger(const std::int64_t& value) {
    return value < 0 ? "must not be negative" : nullptr;
}

constexpr const char* positive(const std::int64_t& value) {
    return value <= 0 ? "must be positive" : nullptr;
}

}  // namespace zoral::sim::json_codec
