#pragma once

// The system's property-list objects as one value type: string, boolean,
// integer, real, date, data, array, dictionary with string keys, and UID (a
// reference into a keyed archive's object table). A boolean
// is never an integer, and integers and reals stay apart (3 is not 3.0).
// Dictionaries keep their keys sorted, which makes every writer's output
// deterministic.

#include <compare>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

#include "platform/date.h"

namespace zoral::platform {

class PlistObject;

using PlistArray = std::vector<PlistObject>;
using PlistDictionary = std::map<std::string, PlistObject, std::less<>>;
using PlistData = std::vector<std::uint8_t>;

// A 64-bit integer with its sign: every signed value, and unsigned values above
// INT64_MAX, which the binary format can hold.
class PlistInteger {
public:
    constexpr PlistInteger() = default;
    static constexpr PlistInteger fromSigned(std::int64_t value) {
        return PlistInteger(value, false);
    }
    static constexpr PlistInteger fromUnsigned(std::uint64_t value) {
        return value > static_cast<std::uint64_t>(INT64_MAX)
                   ? PlistInteger(static_cast<std::int64_t>(value), true)
                   : PlistInteger(static_cast<std::int64_t>(value), false);
    }

    // True when the value lies above INT64_MAX.
    constexpr bool isLargeUnsigned() const { return largeUnsigned_; }
    constexpr bool isNegative() const { return !largeUnsigned_ && bits_ < 0; }
    constexpr std::optional<std::int64_t> int64Value() const {
        if (largeUnsigned_)
            return std::nullopt;
        return bits_;
    }
    constexpr std::optional<std::uint64_t> uint64Value() const {
        if (isNegative())
            return std::nullopt;
        return static_cast<std::uint64_t>(bits_);
    }
    // The nearest double (exact up to 2^53).
    constexpr double doubleValue() const {
        return largeUnsigned_ ? static_cast<double>(static_cast<std::uint64_t>(bits_))
                              : static_cast<double>(bits_);
    }
    std::string toString() const;

    friend constexpr bool operator==(const PlistInteger&, const PlistInteger&) = default;
    friend constexpr std::strong_ordering operator<=>(const PlistInteger& a,
                                                      const PlistInteger& b) {
        if (a.largeUnsigned_ != b.largeUnsigned_)
            return a.largeUnsigned_ <=> b.largeUnsigned_;
        if (a.largeUnsigned_)
            return static_cast<std::uint64_t>(a.bits_) <=> static_cast<std::uint64_t>(b.bits_);
        return a.bits_ <=> b.bits_;
    }

private:
    constexpr PlistInteger(std::int64_t bits, bool largeUnsigned)
        : bits_(bits), largeUnsigned_(largeUnsigned) {}

    std::int64_t bits_ = 0;
    bool largeUnsigned_ = false;
};

// A reference to an object of a keyed archive's object table. Only the binary
// format holds it; the XML writer refuses it.
struct PlistUid {
    std::uint64_t value = 0;

    friend constexpr auto operator<=>(const PlistUid&, const PlistUid&) = default;
};

class PlistObject {
public:
    enum class Kind { string, boolean, integer, real, date, data, array, dictionary, uid };

    // An empty dictionary, the usual root of a document.
    PlistObject() : value_(PlistDictionary{}) {}

    static PlistObject string(std::string value) { return PlistObject(std::move(value)); }
    static PlistObject boolean(bool value) { return PlistObject(value); }
    static PlistObject integer(std::int64_t value) {
        return PlistObject(PlistInteger::fromSigned(value));
    }
    static PlistObject unsignedInteger(std::uint64_t value) {
        return PlistObject(PlistInteger::fromUnsigned(value));
    }
    static PlistObject integer(PlistInteger value) { return PlistObject(value); }
    static PlistObject real(double value) { return PlistObject(value); }
    static PlistObject date(Date value) { return PlistObject(value); }
    static PlistObject data(PlistData value) { return PlistObject(std::move(value)); }
    static PlistObject array(PlistArray value = {}) { return PlistObject(std::move(value)); }
    static PlistObject dictionary(PlistDictionary value = {}) {
        return PlistObject(std::move(value));
    }
    static PlistObject uid(std::uint64_t value) { return PlistObject(PlistUid{value}); }

    Kind kind() const { return static_cast<Kind>(value_.index()); }
    bool is(Kind kind) const { return this->kind() == kind; }

    // The value, which must be of that kind (std::bad_variant_access otherwise).
    template <class T>
    const T& get() const {
        return std::get<T>(value_);
    }

    // The value when it is of that kind; null otherwise.
    template <class T>
    const T* getIf() const {
        return std::get_if<T>(&value_);
    }
    template <class T>
    T* getIf() {
        return std::get_if<T>(&value_);
    }

    std::optional<bool> boolValue() const;
    std::optional<double> realValue() const;
    std::optional<PlistInteger> integerValue() const;
    std::optional<std::string_view> stringValue() const;

    // A member of a dictionary, or null when this is no dictionary or has no such key.
    const PlistObject* find(std::string_view key) const;

    // Deep equality; a real never equals an integer, and NaN equals NaN so that
    // a value always equals its own copy.
    friend bool operator==(const PlistObject& a, const PlistObject& b);

private:
    using Value = std::variant<std::string, bool, PlistInteger, double, Date, PlistData, PlistArray,
                               PlistDictionary, PlistUid>;

    // Constrained so that it never wins over the copy constructor for a
    // non-const PlistObject lvalue.
    template <class T>
    requires(!std::is_same_v<std::remove_cvref_t<T>, PlistObject>) explicit PlistObject(T&& value)
        : value_(std::forward<T>(value)) {}

    Value value_;
};

const char* kindName(PlistObject::Kind kind);

}  // namespace zoral::platform
