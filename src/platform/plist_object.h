#pragma once

// The system's property-list objects as one value type: string, boolean,
// integer, real, date, data, array, dictionary with string keys, and UID (a
// reference into a keyed archive's object table). A boolean
// is never an integer, and integers and reals stay apart (3 is not 3.0).
// Dictionaries keep their keys sorted, which makes every writer's output
// deterministic.

#include <algorithm>
#include <compare>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

#include "platform/date.h"

namespace zoral::platform {

class PlistObject;

using PlistArray = std::vector<PlistObject>;
using PlistData = std::vector<std::uint8_t>;

// Values by string key, kept sorted by key in one block: it iterates in key
// order, finds a key by binary search, and costs one allocation however many
// entries it has. Its interface is std::map's, as far as the program uses it,
// with one difference: adding or removing a key moves the entries after it,
// so a change of size invalidates iterators and references into it. Keys
// must not be changed through an iterator.
class PlistDictionary {
public:
    using key_type = std::string;
    using mapped_type = PlistObject;
    using value_type = std::pair<std::string, PlistObject>;
    using size_type = std::size_t;
    using iterator = std::vector<value_type>::iterator;
    using const_iterator = std::vector<value_type>::const_iterator;

    PlistDictionary() = default;
    // A repeated key keeps its first value, as std::map's do.
    PlistDictionary(std::initializer_list<value_type> entries);
    template <class Iterator>
    PlistDictionary(Iterator first, Iterator last);

    // Entries in any order, taken over whole; a repeated key keeps its last
    // value, as when a file repeats a key.
    static PlistDictionary fromEntries(std::vector<value_type> entries);

    iterator begin();
    iterator end();
    const_iterator begin() const;
    const_iterator end() const;
    const_iterator cbegin() const { return begin(); }
    const_iterator cend() const { return end(); }
    size_type size() const;
    bool empty() const;
    void clear();

    iterator lower_bound(std::string_view key);
    const_iterator lower_bound(std::string_view key) const;
    iterator find(std::string_view key);
    const_iterator find(std::string_view key) const;
    bool contains(std::string_view key) const;
    size_type count(std::string_view key) const { return contains(key) ? 1 : 0; }
    // Throws std::out_of_range when the key is missing.
    PlistObject& at(std::string_view key);
    const PlistObject& at(std::string_view key) const;
    // The value, added as an empty dictionary (PlistObject's default) when missing.
    PlistObject& operator[](std::string key);

    // Adds the entry unless its key is present; the bool says whether it did.
    std::pair<iterator, bool> insert(value_type entry);
    template <class... Arguments>
    std::pair<iterator, bool> emplace(Arguments&&... arguments);
    // As std::map's, but the hint is passed over: adding in key order spares
    // the search anyway.
    template <class... Arguments>
    iterator emplace_hint(const_iterator hint, Arguments&&... arguments);
    template <class... Arguments>
    std::pair<iterator, bool> try_emplace(std::string key, Arguments&&... arguments);
    // Adds the entry or replaces the key's value; the bool says whether it added.
    template <class Value>
    std::pair<iterator, bool> insert_or_assign(std::string key, Value&& value);

    iterator erase(iterator position);
    iterator erase(const_iterator position);
    size_type erase(std::string_view key);

    friend bool operator==(const PlistDictionary& a, const PlistDictionary& b);

private:
    // Sorts the entries by key and keeps the first or the last of each key.
    void sortAndDropRepeats(bool keepLast);
    void insertionSort();
    void sortByPrefix();

    std::vector<value_type> entries_;
};

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

// ---------------------------------------------------------------- PlistDictionary
// Defined here, where PlistObject is complete.

inline PlistDictionary::iterator PlistDictionary::begin() {
    return entries_.begin();
}
inline PlistDictionary::iterator PlistDictionary::end() {
    return entries_.end();
}
inline PlistDictionary::const_iterator PlistDictionary::begin() const {
    return entries_.begin();
}
inline PlistDictionary::const_iterator PlistDictionary::end() const {
    return entries_.end();
}
inline PlistDictionary::size_type PlistDictionary::size() const {
    return entries_.size();
}
inline bool PlistDictionary::empty() const {
    return entries_.empty();
}
inline void PlistDictionary::clear() {
    entries_.clear();
}
inline PlistDictionary::iterator PlistDictionary::erase(iterator position) {
    return entries_.erase(position);
}
inline PlistDictionary::iterator PlistDictionary::erase(const_iterator position) {
    return entries_.erase(position);
}

template <class Iterator>
PlistDictionary::PlistDictionary(Iterator first, Iterator last) : entries_(first, last) {
    sortAndDropRepeats(false);
}

inline PlistDictionary::iterator PlistDictionary::lower_bound(std::string_view key) {
    return std::lower_bound(begin(), end(), key, [](const value_type& entry, std::string_view k) {
        return entry.first < k;
    });
}

inline PlistDictionary::const_iterator PlistDictionary::lower_bound(std::string_view key) const {
    return std::lower_bound(begin(), end(), key, [](const value_type& entry, std::string_view k) {
        return entry.first < k;
    });
}

inline PlistDictionary::iterator PlistDictionary::find(std::string_view key) {
    const auto found = lower_bound(key);
    return found != end() && found->first == key ? found : end();
}

inline PlistDictionary::const_iterator PlistDictionary::find(std::string_view key) const {
    const auto found = lower_bound(key);
    return found != end() && found->first == key ? found : end();
}

inline bool PlistDictionary::contains(std::string_view key) const {
    return find(key) != end();
}

template <class... Arguments>
std::pair<PlistDictionary::iterator, bool> PlistDictionary::emplace(Arguments&&... arguments) {
    return insert(value_type(std::forward<Arguments>(arguments)...));
}

template <class... Arguments>
PlistDictionary::iterator PlistDictionary::emplace_hint(const_iterator, Arguments&&... arguments) {
    return insert(value_type(std::forward<Arguments>(arguments)...)).first;
}

template <class... Arguments>
std::pair<PlistDictionary::iterator, bool> PlistDictionary::try_emplace(std::string key,
                                                                        Arguments&&... arguments) {
    const auto found = lower_bound(key);
    if (found != end() && found->first == key)
        return {found, false};
    return {entries_.emplace(found, std::piecewise_construct, std::forward_as_tuple(std::move(key)),
                             std::forward_as_tuple(std::forward<Arguments>(arguments)...)),
            true};
}

template <class Value>
std::pair<PlistDictionary::iterator, bool> PlistDictionary::insert_or_assign(std::string key,
                                                                             Value&& value) {
    const auto found = lower_bound(key);
    if (found != end() && found->first == key) {
        found->second = std::forward<Value>(value);
        return {found, false};
    }
    return {entries_.emplace(found, std::move(key), std::forward<Value>(value)), true};
}

inline bool operator==(const PlistDictionary& a, const PlistDictionary& b) {
    return a.entries_ == b.entries_;
}

}  // namespace zoral::platform
