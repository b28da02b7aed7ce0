#pragma once

// Enumerations whose cases are stored by a raw value: a string (the case name) or an integer. Each
// such enumeration specialises RawValueTable with its cases in declaration order; the lookups
// below, the stored JSON form and the tests all read that one table.

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>
#include <type_traits>
#include <utility>

namespace zoral::settings {

// Specialised next to each enumeration:
//   static constexpr std::string_view typeName;
//   static constexpr std::array<std::pair<E, Raw>, N> cases;  (Raw is std::string_view or int)
template <class E>
struct RawValueTable;

template <class E>
concept RawRepresentable = std::is_enum_v<E> && requires {
    RawValueTable<E>::cases;
    RawValueTable<E>::typeName;
};

template <RawRepresentable E>
using RawValueType = std::remove_cvref_t<
    decltype(std::declval<typename decltype(RawValueTable<E>::cases)::value_type>().second)>;

template <RawRepresentable E>
inline constexpr bool hasStringRawValue = std::is_same_v<RawValueType<E>, std::string_view>;

template <RawRepresentable E>
constexpr RawValueType<E> rawValue(E value) {
    for (const auto& [known, raw] : RawValueTable<E>::cases) {
        if (known == value)
            return raw;
    }
    return {};
}

// No value for a raw value that names no case (compared exactly, letter case included).
template <RawRepresentable E>
constexpr std::optional<E> fromRawValue(RawValueType<E> raw) {
    for (const auto& [known, knownRaw] : RawValueTable<E>::cases) {
        if (knownRaw == raw)
            return known;
    }
    return std::nullopt;
}

// Every case, in declaration order.
template <RawRepresentable E>
constexpr auto allCases() {
    constexpr auto& table = RawValueTable<E>::cases;
    std::array<E, table.size()> cases{};
    for (std::size_t index = 0; index < table.size(); ++index)
        cases[index] = table[index].first;
    return cases;
}

}  // namespace zoral::settings
