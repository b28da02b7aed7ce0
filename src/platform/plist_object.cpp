#include "platform/plist_object.h"

#include <cmath>

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
