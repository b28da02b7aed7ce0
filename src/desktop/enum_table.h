#pragma once

// Enumerations described by a table: every case with its name (what log lines print) and, where
// the enumeration has one, its raw value (the system's string or number for it). An enumeration
// specialises EnumTable with its cases in declaration order; the lookups below and the tests read
// that one table.

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>
#include <type_traits>

namespace zoral::desktop {

template <class E>
struct NamedCase {
    E value;
    std::string_view name;
};

template <class E, class Raw>
struct RawCase {
    E value;
    std::string_view name;
    Raw rawValue;
};

// Specialised next to each enumeration:
//   static constexpr std::array<NamedCase<E>, N> cases;    or
//   static constexpr std::array<RawCase<E, Raw>, N> cases;
template <class E>
struct EnumTable;

template <class E>
concept TabledEnum = std::is_enum_v<E> && requires {
    EnumTable<E>::cases[0].value;
    EnumTable<E>::cases[0].name;
};

template <class E>
concept RawValuedEnum = TabledEnum<E> && requires {
    EnumTable<E>::cases[0].rawValue;
};

template <RawValuedEnum E>
using EnumRawValue = std::remove_cvref_t<decltype(EnumTable<E>::cases[0].rawValue)>;

namespace detail {

// The table row of a case: by its position when the enumerators count up from 0 as the table
// does, by a search otherwise.
template <TabledEnum E>
constexpr const auto* rowOf(E value) {
    constexpr auto& table = EnumTable<E>::cases;
    using Underlying = std::underlying_type_t<E>;
    const auto position = static_cast<Underlying>(value);
    bool inTable = static_cast<std::size_t>(position) < table.size();
    if constexpr (std::is_signed_v<Underlying>)
        inTable = inTable && position >= 0;
    if (inTable && table[static_cast<std::size_t>(position)].value == value)
        return &table[static_cast<std::size_t>(position)];
    for (const auto& row : table) {
        if (row.value == value)
            return &row;
    }
    return static_cast<decltype(&table[0])>(nullptr);
}

}  // namespace detail

// The name of the case; empty for a value that is no case.
template <TabledEnum E>
constexpr std::string_view caseName(E value) {
    const auto* row = detail::rowOf(value);
    return row != nullptr ? row->name : std::string_view{};
}

// The raw value of the case; the raw type's empty value for a value that is no case.
template <RawValuedEnum E>
constexpr EnumRawValue<E> rawValue(E value) {
    const auto* row = detail::rowOf(value);
    return row != nullptr ? row->rawValue : EnumRawValue<E>{};
}

// The case whose raw value equals the given one exactly; no value for any other.
template <RawValuedEnum E>
constexpr std::optional<E> fromRawValue(EnumRawValue<E> raw) {
    for (const auto& row : EnumTable<E>::cases) {
        if (row.rawValue == raw)
            return row.value;
    }
    return std::nullopt;
}

// Every case, in declaration order.
template <TabledEnum E>
constexpr auto allCases() {
    constexpr auto& table = EnumTable<E>::cases;
    std::array<E, table.size()> values{};
    for (std::size_t index = 0; index < table.size(); ++index)
        values[index] = table[index].value;
    return values;
}

template <TabledEnum E>
constexpr std::size_t caseCount() {
    return EnumTable<E>::cases.size();
}

// True when the table lists the enumerators 0, 1, 2, ... in order; checked for each table, so that
// a case added to the enumeration but not to its table (or the other way round) fails the build.
template <TabledEnum E>
constexpr bool tableFollowsDeclarationOrder() {
    constexpr auto& table = EnumTable<E>::cases;
    for (std::size_t index = 0; index < table.size(); ++index) {
        if (static_cast<std::size_t>(table[index].value) != index)
            return false;
    }
    return true;
}

}  // namespace zoral::desktop
