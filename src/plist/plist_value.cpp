#include "plist/plist_value.h"

namespace zoral::plist {

std::optional<double> exactDoubleFromInt(std::int64_t value) {
    const auto nearest = static_cast<double>(value);
    // 2^63: INT64_MAX rounds up to it, and it has no Int to compare with.
    if (nearest >= 9223372036854775808.0)
        return std::nullopt;
    if (static_cast<std::int64_t>(nearest) != value)
        return std::nullopt;
    return nearest;
}

const char* shapeName(PListValue::Shape shape) {
    switch (shape) {
        case PListValue::Shape::string:
            return "string";
        case PListValue::Shape::integer:
            return "integer";
        case PListValue::Shape::real:
            return "real";
        case PListValue::Shape::boolean:
            return "boolean";
        case PListValue::Shape::date:
            return "date";
        case PListValue::Shape::data:
            return "data";
        case PListValue::Shape::dictionary:
            return "dictionary";
        case PListValue::Shape::array:
            return "array";
    }
    return "unknown";
}

// ---- PListDictionary -------------------------------------------------------

namespace {

const PListDictionary::Map& emptyMap() {
    static const PListDictionary::Map empty;
    return empty;
}

const PListArray::Vector& emptyVector() {
    static const PListArray::Vector empty;
    return empty;
}

}  // namespace

PListDictionary::PListDictionary() = default;

PListDictionary::PListDictionary(std::initializer_list<Entry> entries) {
    if (entries.size() > 0)
        storage_ = std::make_shared<Map>(entries);
}

const PListDictionary::Map& PListDictionary::entries() const {
    return storage_ ? *storage_ : emptyMap();
}

PListDictionary::Map::const_iterator PListDictionary::begin() const {
    return entries().begin();
}

PListDictionary::Map::const_iterator PListDictionary::end() const {
    return entries().end();
}

std::size_t PListDictionary::size() const {
    return entries().size();
}

bool PListDictionary::empty() const {
    return entries().empty();
}

bool PListDictionary::contains(std::string_view key) const {
    return find(key) != nullptr;
}

const PListValue* PListDictionary::find(std::string_view key) const {
    const Map& map = entries();
    const auto found = map.find(key);
    return found == map.end() ? nullptr : &found->second;
}

void PListDictionary::set(std::string key, PListValue value) {
    mutableEntries().insert_or_assign(std::move(key), std::move(value));
}

bool PListDictionary::remove(std::string_view key) {
    if (!contains(key))
        return false;
    Map& map = mutableEntries();
    map.erase(map.find(key));
    return true;
}

PListDictionary::Map& PListDictionary::mutableEntries() {
    if (!storage_)
        storage_ = std::make_shared<Map>();
    else if (storage_.use_count() > 1)
        storage_ = std::make_shared<Map>(*storage_);
    return *storage_;
}

PListValue* PListDictionary::findMutable(std::string_view key) {
    if (!contains(key))
        return nullptr;
    return &mutableEntries().find(key)->second;
}

std::optional<PListValue> PListDictionary::anyEntry(std::string_view key) const {
    return entry<PListValue>(key);
}

std::optional<PListArray> PListDictionary::arrayEntry(std::string_view key) const {
    return entry<PListArray>(key);
}

std::optional<PListDictionary> PListDictionary::dictionaryEntry(std::string_view key) const {
    return entry<PListDictionary>(key);
}

void PListDictionary::setAnyEntry(std::string key, std::optional<PListValue> value) {
    setEntry(std::move(key), std::move(value));
}

void PListDictionary::setArrayEntry(std::string key, std::optional<PListArray> value) {
    setEntry(std::move(key), std::move(value));
}

void PListDictionary::setDictionaryEntry(std::string key, std::optional<PListDictionary> value) {
    setEntry(std::move(key), std::move(value));
}

std::optional<PListDictionary> PListDictionary::dictionaryEntryCreatingMissing(
    const std::string& key) {
    if (!contains(key))
        set(key, PListDictionary());
    return dictionaryEntry(key);
}

void PListDictionary::setDictionaryEntryCreatingMissing(std::string key,
                                                        std::optional<PListDictionary> value) {
    setDictionaryEntry(std::move(key), std::move(value));
}

void PListDictionary::setArrayEntryCreatingMissing(std::string key,
                                                   std::optional<PListArray> value) {
    setArrayEntry(std::move(key), std::move(value));
}

std::optional<PListArray> PListDictionary::arrayEntryCreatingMissing(const std::string& key) {
    if (!contains(key))
        set(key, PListArray());
    return arrayEntry(key);
}

std::map<std::string, std::string, std::less<>> PListDictionary::stringSubset() const {
    return subset<std::string>();
}

std::map<std::string, std::int64_t, std::less<>> PListDictionary::intSubset() const {
    return subset<std::int64_t>();
}

std::map<std::string, double, std::less<>> PListDictionary::doubleSubset() const {
    return subset<double>();
}

std::map<std::string, bool, std::less<>> PListDictionary::boolSubset() const {
    return subset<bool>();
}

std::map<std::string, PListData, std::less<>> PListDictionary::dataSubset() const {
    return subset<PListData>();
}

std::map<std::string, PListDate, std::less<>> PListDictionary::dateSubset() const {
    return subset<PListDate>();
}

std::map<std::string, PListDictionary, std::less<>> PListDictionary::dictionarySubset() const {
    return subset<PListDictionary>();
}

std::map<std::string, PListArray, std::less<>> PListDictionary::arraySubset() const {
    return subset<PListArray>();
}

bool operator==(const PListDictionary& a, const PListDictionary& b) {
    return a.storage_ == b.storage_ || a.entries() == b.entries();
}

// ---- PListArray ------------------------------------------------------------

PListArray::PListArray() = default;

PListArray::PListArray(std::initializer_list<PListValue> elements) {
    if (elements.size() > 0)
        storage_ = std::make_shared<Vector>(elements);
}

PListArray::PListArray(Vector elements) {
    if (!elements.empty())
        storage_ = std::make_shared<Vector>(std::move(elements));
}

const PListArray::Vector& PListArray::elements() const {
    return storage_ ? *storage_ : emptyVector();
}

PListArray::Vector::const_iterator PListArray::begin() const {
    return elements().begin();
}

PListArray::Vector::const_iterator PListArray::end() const {
    return elements().end();
}

std::size_t PListArray::size() const {
    return elements().size();
}

bool PListArray::empty() const {
    return elements().empty();
}

const PListValue* PListArray::at(std::int64_t index) const {
    const Vector& vector = elements();
    if (index < 0 || static_cast<std::uint64_t>(index) >= vector.size())
        return nullptr;
    return &vector[static_cast<std::size_t>(index)];
}

void PListArray::append(PListValue value) {
    mutableElements().push_back(std::move(value));
}

PListArray::Vector& PListArray::mutableElements() {
    if (!storage_)
        storage_ = std::make_shared<Vector>();
    else if (storage_.use_count() > 1)
        storage_ = std::make_shared<Vector>(*storage_);
    return *storage_;
}

PListValue* PListArray::findMutable(std::int64_t index) {
    if (at(index) == nullptr)
        return nullptr;
    return &mutableElements()[static_cast<std::size_t>(index)];
}

std::optional<PListValue> PListArray::anyElement(std::int64_t index) const {
    return element<PListValue>(index);
}

std::optional<PListArray> PListArray::arrayElement(std::int64_t index) const {
    return element<PListArray>(index);
}

std::optional<PListDictionary> PListArray::dictionaryElement(std::int64_t index) const {
    return element<PListDictionary>(index);
}

void PListArray::setAnyElement(std::int64_t index, std::optional<PListValue> value) {
    setElement(index, std::move(value));
}

void PListArray::setArrayElement(std::int64_t index, std::optional<PListArray> value) {
    setElement(index, std::move(value));
}

void PListArray::setDictionaryElement(std::int64_t index, std::optional<PListDictionary> value) {
    setElement(index, std::move(value));
}

bool operator==(const PListArray& a, const PListArray& b) {
    return a.storage_ == b.storage_ || a.elements() == b.elements();
}

}  // namespace zoral::plist
