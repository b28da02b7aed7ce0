#include "sim/json_codec.h"

namespace zoral::sim::json_codec {

Place Place::key(std::string_view name) const {
    return Place(text_.empty() ? std::string(name) : text_ + "." + std::string(name));
}

Place Place::index(std::size_t position) const {
    return Place(text_ + "[" + std::to_string(position) + "]");
}

FormatError::FormatError(const Place& place, const std::string& what)
    : std::runtime_error(place.text().empty() ? what : place.text() + ": " + what),
      place_(place.text()),
      reason_(what) {}

void fail(const Place& place, const std::string& what) {
    throw FormatError(place, what);
}

std::string joinedNames(const std::string_view* names, std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0)
            text += i + 1 == count ? " or " : ", ";
        text += names[i];
    }
    return text;
}

bool Codec<bool>::read(const Json& json, const Place& place) {
    if (!json.is_boolean())
        fail(place, "expected true or false");
    return json.get<bool>();
}

std::int64_t Codec<std::int64_t>::read(const Json& json, const Place& place) {
    if (!json.is_number_integer())
        fail(place, "expected an integer");
    if (json.is_number_unsigned() && json.get<std::uint64_t>() > INT64_MAX)
        fail(place, "integer out of range");
    return json.get<std::int64_t>();
}

double Codec<double>::read(const Json& json, const Place& place) {
    // A number too large for a double reads as infinity: no place of a world can hold it.
    if (!json.is_number() || !std::isfinite(json.get<double>()))
        fail(place, "expected a finite number");
    return json.get<double>();
}

std::string Codec<std::string>::read(const Json& json, const Place& place) {
    if (!json.is_string())
        fail(place, "expected a string");
    return json.get<std::string>();
}

namespace {

// The numbers of an array of exactly `count`.
template <std::size_t count>
std::array<double, count> numbers(const Json& json, const Place& place) {
    if (!json.is_array() || json.size() != count)
        fail(place, "expected an array of " + std::to_string(count) + " numbers");
    std::array<double, count> result{};
    for (std::size_t i = 0; i < count; ++i)
        result[i] = Codec<double>::read(json[i], place.index(i));
    return result;
}

}  // namespace

platform::CGPoint Codec<platform::CGPoint>::read(const Json& json, const Place& place) {
    const auto v = numbers<2>(json, place);
    return {v[0], v[1]};
}

Json Codec<platform::CGPoint>::write(const platform::CGPoint& value) {
    return {value.x, value.y};
}

platform::CGSize Codec<platform::CGSize>::read(const Json& json, const Place& place) {
    const auto v = numbers<2>(json, place);
    if (v[0] < 0 || v[1] < 0)
        fail(place, "a size must not be negative");
    return {v[0], v[1]};
}

Json Codec<platform::CGSize>::write(const platform::CGSize& value) {
    return {value.width, value.height};
}

platform::CGRect Codec<platform::CGRect>::read(const Json& json, const Place& place) {
    const auto v = numbers<4>(json, place);
    if (v[2] < 0 || v[3] < 0)
        fail(place, "a size must not be negative");
    return {v[0], v[1], v[2], v[3]};
}

Json Codec<platform::CGRect>::write(const platform::CGRect& value) {
    return {value.origin.x, value.origin.y, value.size.width, value.size.height};
}

}  // namespace zoral::sim::json_codec
