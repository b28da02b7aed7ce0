#pragma once

// The value model of property-list documents: a PListValue is exactly one of
// String, Int, Double, Bool, Date, Data, PListDictionary and PListArray.
//
// Containers are values with copy-on-write storage: copying one shares its
// storage until either side writes, so handing out a document's dictionary or
// rebuilding one level of a key path costs one shallow copy at most.
//
// Reads are strict and forgiving at once: a missing key, an index out of
// range or a value of another shape reads as none, and no shape is ever read
// as another (a Bool is no Int, a Double no Int, a String no number). The one
// widening is the Double reading, which also takes an Int that a Double holds
// exactly.

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

#include "platform/date.h"

namespace zoral::plist {

class PListValue;
class PListArray;

using PListDate = platform::Date;
using PListData = std::vector<std::uint8_t>;

// The Double that an Int stands for exactly, or none (every Int up to 2^53 in
// magnitude, larger ones only when a Double holds them).
std::optional<double> exactDoubleFromInt(std::int64_t value);

class PListDictionary {
public:
    using Map = std::map<std::string, PListValue, std::less<>>;
    using Entry = std::pair<const std::string, PListValue>;

    PListDictionary();
    PListDictionary(std::initializer_list<Entry> entries);

    // Read access to the entries, sorted by key.
    const Map& entries() const;
    Map::const_iterator begin() const;
    Map::const_iterator end() const;
    std::size_t size() const;
    bool empty() const;
    bool contains(std::string_view key) const;
    // The value under the key, or null.
    const PListValue* find(std::string_view key) const;

    // Stores the value under the key, replacing any value of any shape.
    void set(std::string key, PListValue value);
    // Removes the key; false when it was absent.
    bool remove(std::string_view key);

    // Typed entries. Each read yields none for a missing key or another shape;
    // each write stores the value, or removes the key for none; each modify
    // lends the read result to `body` and writes back what it leaves there.
    template <class T>
    std::optional<T> entry(std::string_view key) const;
    template <class T>
    void setEntry(std::string key, std::optional<T> value);
    template <class T, class Body>
    void modifyEntry(std::string key, Body&& body);

    std::optional<std::string> stringEntry(std::string_view key) const {
        return entry<std::string>(key);
    }
    std::optional<std::int64_t> intEntry(std::string_view key) const {
        return entry<std::int64_t>(key);
    }
    // Also an Int that a Double holds exactly.
    std::optional<double> doubleEntry(std::string_view key) const { return entry<double>(key); }
    std::optional<bool> boolEntry(std::string_view key) const { return entry<bool>(key); }
    std::optional<PListDate> dateEntry(std::string_view key) const { return entry<PListDate>(key); }
    std::optional<PListData> dataEntry(std::string_view key) const { return entry<PListData>(key); }
    std::optional<PListValue> anyEntry(std::string_view key) const;
    std::optional<PListArray> arrayEntry(std::string_view key) const;
    std::optional<PListDictionary> dictionaryEntry(std::string_view key) const;

    void setStringEntry(std::string key, std::optional<std::string> value) {
        setEntry(std::move(key), std::move(value));
    }
    void setIntEntry(std::string key, std::optional<std::int64_t> value) {
        setEntry(std::move(key), value);
    }
    void setDoubleEntry(std::string key, std::optional<double> value) {
        setEntry(std::move(key), value);
    }
    void setBoolEntry(std::string key, std::optional<bool> value) {
        setEntry(std::move(key), value);
    }
    void setDateEntry(std::string key, std::optional<PListDate> value) {
        setEntry(std::move(key), value);
    }
    void setDataEntry(std::string key, std::optional<PListData> value) {
        setEntry(std::move(key), std::move(value));
    }
    void setAnyEntry(std::string key, std::optional<PListValue> value);
    void setArrayEntry(std::string key, std::optional<PListArray> value);
    void setDictionaryEntry(std::string key, std::optional<PListDictionary> value);

    template <class Body>
    void modifyStringEntry(std::string key, Body&& body) {
        modifyEntry<std::string>(std::move(key), std::forward<Body>(body));
    }
    template <class Body>
    void modifyIntEntry(std::string key, Body&& body) {
        modifyEntry<std::int64_t>(std::move(key), std::forward<Body>(body));
    }
    template <class Body>
    void modifyDoubleEntry(std::string key, Body&& body) {
        modifyEntry<double>(std::move(key), std::forward<Body>(body));
    }
    template <class Body>
    void modifyBoolEntry(std::string key, Body&& body) {
        modifyEntry<bool>(std::move(key), std::forward<Body>(body));
    }
    template <class Body>
    void modifyDateEntry(std::string key, Body&& body) {
        modifyEntry<PListDate>(std::move(key), std::forward<Body>(body));
    }
    template <class Body>
    void modifyDataEntry(std::string key, Body&& body) {
        modifyEntry<PListData>(std::move(key), std::forward<Body>(body));
    }
    template <class Body>
    void modifyAnyEntry(std::string key, Body&& body) {
        modifyEntry<PListValue>(std::move(key), std::forward<Body>(body));
    }
    template <class Body>
    void modifyArrayEntry(std::string key, Body&& body) {
        modifyEntry<PListArray>(std::move(key), std::forward<Body>(body));
    }
    template <class Body>
    void modifyDictionaryEntry(std::string key, Body&& body) {
        modifyEntry<PListDictionary>(std::move(key), std::forward<Body>(body));
    }

    // Like dictionaryEntry and arrayEntry, but an absent key first gets an empty
    // container stored under it (which stays even if nothing is put into it). A
    // value of another shape reads as none and stays in place.
    std::optional<PListDictionary> dictionaryEntryCreatingMissing(const std::string& key);
    std::optional<PListArray> arrayEntryCreatingMissing(const std::string& key);
    void setDictionaryEntryCreatingMissing(std::string key, std::optional<PListDictionary> value);
    void setArrayEntryCreatingMissing(std::string key, std::optional<PListArray> value);
    template <class Body>
    void modifyDictionaryEntryCreatingMissing(const std::string& key, Body&& body);
    template <class Body>
    void modifyArrayEntryCreatingMissing(const std::string& key, Body&& body);

    // New dictionaries of the entries of one shape; the Double subset leaves Ints out.
    std::map<std::string, std::string, std::less<>> stringSubset() const;
    std::map<std::string, std::int64_t, std::less<>> intSubset() const;
    std::map<std::string, double, std::less<>> doubleSubset() const;
    std::map<std::string, bool, std::less<>> boolSubset() const;
    std::map<std::string, PListData, std::less<>> dataSubset() const;
    std::map<std::string, PListDate, std::less<>> dateSubset() const;
    std::map<std::string, PListDictionary, std::less<>> dictionarySubset() const;
    std::map<std::string, PListArray, std::less<>> arraySubset() const;

    friend bool operator==(const PListDictionary& a, const PListDictionary& b);

private:
    template <class T>
    std::map<std::string, T, std::less<>> subset() const;
    // The storage, copied first when another value shares it.
    Map& mutableEntries();
    // The slot of the key for writing, or null.
    PListValue* findMutable(std::string_view key);

    // Null stands for empty, so that empty dictionaries allocate nothing and a
    // moved-from one is still a valid empty dictionary.
    std::shared_ptr<Map> storage_;
};

class PListArray {
public:
    using Vector = std::vector<PListValue>;

    PListArray();
    PListArray(std::initializer_list<PListValue> elements);
    explicit PListArray(Vector elements);

    const Vector& elements() const;
    Vector::const_iterator begin() const;
    Vector::const_iterator end() const;
    std::size_t size() const;
    bool empty() const;
    // The element at the index, or null when the index is out of range.
    const PListValue* at(std::int64_t index) const;

    void append(PListValue value);

    // Typed elements. A read out of range or of another shape yields none; a
    // write replaces the element at an index in range and otherwise does
    // nothing; writing none changes nothing (arrays never grow or shrink here).
    template <class T>
    std::optional<T> element(std::int64_t index) const;
    template <class T>
    void setElement(std::int64_t index, std::optional<T> value);
    template <class T, class Body>
    void modifyElement(std::int64_t index, Body&& body);

    std::optional<std::string> stringElement(std::int64_t index) const {
        return element<std::string>(index);
    }
    std::optional<std::int64_t> intElement(std::int64_t index) const {
        return element<std::int64_t>(index);
    }
    // Also an Int that a Double holds exactly.
    std::optional<double> doubleElement(std::int64_t index) const { return element<double>(index); }
    std::optional<bool> boolElement(std::int64_t index) const { return element<bool>(index); }
    std::optional<PListDate> dateElement(std::int64_t index) const {
        return element<PListDate>(index);
    }
    std::optional<PListData> dataElement(std::int64_t index) const {
        return element<PListData>(index);
    }
    std::optional<PListValue> anyElement(std::int64_t index) const;
    std::optional<PListArray> arrayElement(std::int64_t index) const;
    std::optional<PListDictionary> dictionaryElement(std::int64_t index) const;

    void setStringElement(std::int64_t index, std::optional<std::string> value) {
        setElement(index, std::move(value));
    }
    void setIntElement(std::int64_t index, std::optional<std::int64_t> value) {
        setElement(index, value);
    }
    void setDoubleElement(std::int64_t index, std::optional<double> value) {
        setElement(index, value);
    }
    void setBoolElement(std::int64_t index, std::optional<bool> value) { setElement(index, value); }
    void setDateElement(std::int64_t index, std::optional<PListDate> value) {
        setElement(index, value);
    }
    void setDataElement(std::int64_t index, std::optional<PListData> value) {
        setElement(index, std::move(value));
    }
    void setAnyElement(std::int64_t index, std::optional<PListValue> value);
    void setArrayElement(std::int64_t index, std::optional<PListArray> value);
    void setDictionaryElement(std::int64_t index, std::optional<PListDictionary> value);

    template <class Body>
    void modifyStringElement(std::int64_t index, Body&& body) {
        modifyElement<std::string>(index, std::forward<Body>(body));
    }
    template <class Body>
    void modifyIntElement(std::int64_t index, Body&& body) {
        modifyElement<std::int64_t>(index, std::forward<Body>(body));
    }
    template <class Body>
    void modifyDoubleElement(std::int64_t index, Body&& body) {
        modifyElement<double>(index, std::forward<Body>(body));
    }
    template <class Body>
    void modifyBoolElement(std::int64_t index, Body&& body) {
        modifyElement<bool>(index, std::forward<Body>(body));
    }
    template <class Body>
    void modifyDateElement(std::int64_t index, Body&& body) {
        modifyElement<PListDate>(index, std::forward<Body>(body));
    }
    template <class Body>
    void modifyDataElement(std::int64_t index, Body&& body) {
        modifyElement<PListData>(index, std::forward<Body>(body));
    }
    template <class Body>
    void modifyAnyElement(std::int64_t index, Body&& body) {
        modifyElement<PListValue>(index, std::forward<Body>(body));
    }
    template <class Body>
    void modifyArrayElement(std::int64_t index, Body&& body) {
        modifyElement<PListArray>(index, std::forward<Body>(body));
    }
    template <class Body>
    void modifyDictionaryElement(std::int64_t index, Body&& body) {
        modifyElement<PListDictionary>(index, std::forward<Body>(body));
    }

    friend bool operator==(const PListArray& a, const PListArray& b);

private:
    Vector& mutableElements();
    PListValue* findMutable(std::int64_t index);

    // Null stands for empty, as in PListDictionary.
    std::shared_ptr<Vector> storage_;
};

// The alternatives in the order of the shapes.
template <class T>
concept PListShape = std::same_as<T, std::string> || std::same_as<T, std::int64_t> ||
    std::same_as<T, double> || std::same_as<T, bool> || std::same_as<T, PListDate> ||
    std::same_as<T, PListData> || std::same_as<T, PListDictionary> || std::same_as<T, PListArray>;

class PListValue {
public:
    enum class Shape { string, integer, real, boolean, date, data, dictionary, array };

    // An empty dictionary.
    PListValue() : value_(PListDictionary()) {}
    // Exactly one of the shapes' types: `PListValue(3)` does not compile, say
    // `std::int64_t{3}` or `PListValue::integer(3)`, so that an int never turns
    // into a Bool or a Double by accident.
    template <class T>
    requires PListShape<std::remove_cvref_t<T>> PListValue(T&& value)
        : value_(std::forward<T>(value)) {}
    PListValue(const char* text) : value_(std::string(text)) {}

    static PListValue string(std::string value) { return PListValue(std::move(value)); }
    static PListValue integer(std::int64_t value) { return PListValue(value); }
    static PListValue real(double value) { return PListValue(value); }
    static PListValue boolean(bool value) { return PListValue(value); }
    static PListValue date(PListDate value) { return PListValue(value); }
    static PListValue data(PListData value) { return PListValue(std::move(value)); }

    Shape shape() const { return static_cast<Shape>(value_.index()); }
    template <PListShape T>
    bool is() const {
        return std::holds_alternative<T>(value_);
    }
    // The value when it has that shape; null otherwise.
    template <PListShape T>
    const T* getIf() const {
        return std::get_if<T>(&value_);
    }
    template <PListShape T>
    T* getIf() {
        return std::get_if<T>(&value_);
    }

    // Strict typed reading, the widening Double reading included; see above.
    template <class T>
    std::optional<T> as() const;

    friend bool operator==(const PListValue& a, const PListValue& b) = default;

private:
    std::variant<std::string, std::int64_t, double, bool, PListDate, PListData, PListDictionary,
                 PListArray>
        value_;
};

const char* shapeName(PListValue::Shape shape);

// ---- templates -------------------------------------------------------------

template <class T>
std::optional<T> PListValue::as() const {
    if constexpr (std::is_same_v<T, PListValue>) {
        return *this;
    } else if constexpr (std::is_same_v<T, double>) {
        if (const double* real = getIf<double>())
            return *real;
        if (const std::int64_t* integer = getIf<std::int64_t>())
            return exactDoubleFromInt(*integer);
        return std::nullopt;
    } else {
        if (const T* value = getIf<T>())
            return *value;
        return std::nullopt;
    }
}

template <class T>
std::optional<T> PListDictionary::entry(std::string_view key) const {
    const PListValue* value = find(key);
    return value ? value->as<T>() : std::nullopt;
}

template <class T>
void PListDictionary::setEntry(std::string key, std::optional<T> value) {
    if (value)
        set(std::move(key), PListValue(std::move(*value)));
    else
        remove(key);
}

template <class T, class Body>
void PListDictionary::modifyEntry(std::string key, Body&& body) {
    std::optional<T> value;
    if constexpr (std::is_same_v<T, PListDictionary> || std::is_same_v<T, PListArray>) {
        // Moved out rather than copied, so that the body changes the only holder
        // of the nested storage instead of copying it.
        if (PListValue* slot = findMutable(key); slot && slot->is<T>())
            value = std::move(*slot->getIf<T>());
    } else {
        value = entry<T>(key);
    }
    try {
        std::forward<Body>(body)(value);
    } catch (...) {
        setEntry<T>(std::move(key), std::move(value));
        throw;
    }
    setEntry<T>(std::move(key), std::move(value));
}

template <class Body>
void PListDictionary::modifyDictionaryEntryCreatingMissing(const std::string& key, Body&& body) {
    if (!contains(key))
        set(key, PListDictionary());
    modifyEntry<PListDictionary>(key, std::forward<Body>(body));
}

template <class Body>
void PListDictionary::modifyArrayEntryCreatingMissing(const std::string& key, Body&& body) {
    if (!contains(key))
        set(key, PListArray());
    modifyEntry<PListArray>(key, std::forward<Body>(body));
}

template <class T>
std::map<std::string, T, std::less<>> PListDictionary::subset() const {
    std::map<std::string, T, std::less<>> result;
    for (const auto& [key, value] : entries()) {
        if (const T* typed = value.template getIf<T>())
            result.emplace_hint(result.end(), key, *typed);
    }
    return result;
}

template <class T>
std::optional<T> PListArray::element(std::int64_t index) const {
    const PListValue* value = at(index);
    return value ? value->as<T>() : std::nullopt;
}

template <class T>
void PListArray::setElement(std::int64_t index, std::optional<T> value) {
    if (!value)
        return;
    if (PListValue* slot = findMutable(index))
        *slot = PListValue(std::move(*value));
}

template <class T, class Body>
void PListArray::modifyElement(std::int64_t index, Body&& body) {
    // Copied, not moved out: a body that leaves none must find the element untouched.
    std::optional<T> value = element<T>(index);
    try {
        std::forward<Body>(body)(value);
    } catch (...) {
        setElement<T>(index, std::move(value));
        throw;
    }
    setElement<T>(index, std::move(value));
}

}  // namespace zoral::plist
