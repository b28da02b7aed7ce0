#include "platform/plist_object.h"

#include <cmath>
#include <stdexcept>

namespace zoral::platform {

std::string PlistInteger::toString() const {
    return largeUnsigned_ ? std::to_string(static_cast<std::uint64_t>(bits_))
                          : std::to_string(bits_);
}

std::optional<bool> PlistObject::boolValue() const {
    if (const auto* value = getIf<bool>())
        return *value;
    return std::nullopt;
}

std::optional<double> PlistObject::realValue() const {
    if (const auto* value = getIf<double>())
        return *value;
    return std::nullopt;
}

std::optional<PlistInteger> PlistObject::integerValue() const {
    if (const auto* value = getIf<PlistInteger>())
        return *value;
    return std::nullopt;
}

std::optional<std::string_view> PlistObject::stringValue() const {
    if (const auto* value = getIf<std::string>())
        return std::string_view(*value);
    return std::nullopt;
}

const PlistObject* PlistObject::find(std::string_view key) const {
    const auto* dictionary = getIf<PlistDictionary>();
    if (dictionary == nullptr)
        return nullptr;
    auto found = dictionary->find(key);
    return found == dictionary->end() ? nullptr : &found->second;
}

bool operator==(const PlistObject& a, const PlistObject& b) {
    if (a.kind() != b.kind())
        return false;
    if (const auto* x = a.getIf<double>()) {
        const double y = std::get<double>(b.value_);
        return *x == y || (std::isnan(*x) && std::isnan(y));
    }
    if (const auto* x = a.getIf<Date>()) {
        const Date y = std::get<Date>(b.value_);
        return *x == y || (std::isnan(x->secondsSinceReferenceDate) &&
                           std::isnan(y.secondsSinceReferenceDate));
    }
    return a.value_ == b.value_;
}

PlistDictionary::PlistDictionary(std::initializer_list<value_type> entries) : entries_(entries) {
    sortAndDropRepeats(false);
}

PlistDictionary PlistDictionary::fromEntries(std::vector<value_type> entries) {
    PlistDictionary dictionary;
    dictionary.entries_ = std::move(entries);
    dictionary.sortAndDropRepeats(true);
    return dictionary;
}

void PlistDictionary::sortAndDropRepeats(bool keepLast) {
    // Files and writers mostly give keys in order already.
    const auto inOrder = std::adjacent_find(entries_.begin(), entries_.end(),
                                            [](const value_type& a, const value_type& b) {
                                                return !(a.first < b.first);
                                            }) == entries_.end();
    if (inOrder)
        return;
    // Both sorts are stable, so that each key's entries keep their given order.
    if (entries_.size() <= 8)
        insertionSort();
    else
        sortByPrefix();
    // Repeated keys now stand together.
    auto kept = entries_.begin();
    for (auto run = entries_.begin(); run != entries_.end();) {
        auto next = run + 1;
        while (next != entries_.end() && next->first == run->first)
            ++next;
        auto chosen = keepLast ? next - 1 : run;
        if (kept != chosen)
            *kept = std::move(*chosen);
        ++kept;
        run = next;
    }
    entries_.erase(kept, entries_.end());
}

void PlistDictionary::insertionSort() {
    // In place, with no allocation: the most common dictionaries are this small.
    for (std::size_t i = 1; i < entries_.size(); ++i) {
        std::size_t at = i;
        while (at > 0 && entries_[i].first < entries_[at - 1].first)
            --at;
        if (at == i)
            continue;
        value_type moving = std::move(entries_[i]);
        for (std::size_t k = i; k > at; --k)
            entries_[k] = std::move(entries_[k - 1]);
        entries_[at] = std::move(moving);
    }
}

void PlistDictionary::sortByPrefix() {
    // Sorted as small records of eight bytes of the key, taken after the
    // prefix that all keys share (as "com.example." often is), which settle
    // most comparisons without reaching the strings; and of the entry's
    // place, which keeps the sort stable. The entries then move once, into
    // their sorted places.
    const std::string& first = entries_.front().first;
    std::size_t shared = first.size();
    for (const auto& [key, value] : entries_) {
        const auto limit = static_cast<std::ptrdiff_t>(std::min(shared, key.size()));
        shared = static_cast<std::size_t>(
            std::mismatch(first.begin(), first.begin() + limit, key.begin()).first - first.begin());
    }
    struct SortKey {
        std::uint64_t prefix;
        std::size_t index;
    };
    std::vector<SortKey> order;
    order.reserve(entries_.size());
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        const std::string& key = entries_[i].first;
        std::uint64_t prefix = 0;
        for (std::size_t byte = shared; byte < shared + 8; ++byte) {
            const std::uint64_t c = byte < key.size() ? static_cast<std::uint8_t>(key[byte]) : 0u;
            prefix = (prefix << 8) | c;
        }
        order.push_back({prefix, i});
    }
    std::sort(order.begin(), order.end(), [&](const SortKey& a, const SortKey& b) {
        if (a.prefix != b.prefix)
            return a.prefix < b.prefix;
        if (const int compared = entries_[a.index].first.compare(entries_[b.index].first))
            return compared < 0;
        return a.index < b.index;
    });
    std::vector<value_type> sorted;
    sorted.reserve(entries_.size());
    for (const SortKey& key : order)
        sorted.push_back(std::move(entries_[key.index]));
    entries_ = std::move(sorted);
}

PlistObject& PlistDictionary::at(std::string_view key) {
    const auto found = find(key);
    if (found == end())
        throw std::out_of_range("no key \"" + std::string(key) + "\" in the dictionary");
    return found->second;
}

const PlistObject& PlistDictionary::at(std::string_view key) const {
    const auto found = find(key);
    if (found == end())
        throw std::out_of_range("no key \"" + std::string(key) + "\" in the dictionary");
    return found->second;
}

PlistObject& PlistDictionary::operator[](std::string key) {
    return try_emplace(std::move(key)).first->second;
}

std::pair<PlistDictionary::iterator, bool> PlistDictionary::insert(value_type entry) {
    // Appending in key order, as builders usually do, needs no search.
    if (entries_.empty() || entries_.back().first < entry.first) {
        entries_.push_back(std::move(entry));
        return {entries_.end() - 1, true};
    }
    const auto found = lower_bound(entry.first);
    if (found->first == entry.first)
        return {found, false};
    return {entries_.insert(found, std::move(entry)), true};
}

PlistDictionary::size_type PlistDictionary::erase(std::string_view key) {
    const auto found = find(key);
    if (found == end())
        return 0;
    entries_.erase(found);
    return 1;
}

const char* kindName(PlistObject::Kind kind) {
    switch (kind) {
        case PlistObject::Kind::string:
            return "string";
        case PlistObject::Kind::boolean:
            return "boolean";
        case PlistObject::Kind::integer:
            return "integer";
        case PlistObject::Kind::real:
            return "real";
        case PlistObject::Kind::date:
            return "date";
        case PlistObject::Kind::data:
            return "data";
        case PlistObject::Kind::array:
            return "array";
        case PlistObject::Kind::dictionary:
            return "dictionary";
        case PlistObject::Kind::uid:
            return "UID";
    }
    return "unknown";
}

}  // namespace zoral::platform
