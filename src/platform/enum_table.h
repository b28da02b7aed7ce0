#pragma once

// Enumerations described by a table: every case with its name (what log lines and messages print)
// and, where the enumeration has one, its raw value (the system's string or number for the case,
// or the form the settings store). An enumeration specialises EnumTable, in this namespace, next
// to its declaration; the lookups below, the stored forms and the tests all read that one table.
//
//   template <>
//   struct EnumTable<settings::TabAppType> {
//       using enum settings::TabAppType;
//       static constexpr std::string_view typeName = "TabAppType";
//       static constexpr bool rawValueIsName = true;
//       static constexpr std::array<NamedCase<settings::TabAppType>, 7> cases{{
//           {native, "native"},
//           ...
//       }};
//   };
//   static_assert(tableFollowsDeclarationOrder<settings::TabAppType>());
//
// A table has:
// - cases (required): one row per case, in declaration order; all rows NamedCase<E> (a name
//   only) or all RawCase<E, Raw> (a name and a raw value, Raw a string view or a number).
// - rawValueIsName (optional, with NamedCase rows): true when the raw value is the name itself,
//   as for enumerations that are stored by their case names; the raw type is then a string view.
// - typeName (optional): the enumeration's name, for messages about a value that names no case.
//
// Contract:
// - An enumeration has a raw value (RawValuedEnum) when its rows hold one or its table says that
//   the raw value is the name; rawValue and fromRawValue exist for those only.
// - Lookups compare exactly: letter case and spelling included, no trimming, no conversion
//   between numbers and text.
// - A value that is no case (a number cast to the enumeration) has the empty name and the raw
//   type's empty value ("" or 0); it is never an error.
// - Names and raw values are unique within a table; were one given twice, the lookup by raw
//   value would find the first row.
// - Lookups are constexpr. Tables whose enumerators count up from 0 in table order find a row by
//   its position (tableFollowsDeclarationOrder, asserted beside each such table, also fails the
//   build when a case is added to the enumeration but not to its table); any other table is
//   searched row by row.

#include <array>
#include <concepts>
#include <cstddef>
#include <optional>
#include <string_view>
#include <type_traits>

namespace zoral::platform {

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

template <class E>
struct EnumTable;

template <class E>
concept TabledEnum = std::is_enum_v<E> && requires {
    { EnumTable<E>::cases[0].value } -> std::convertible_to<E>;
    { EnumTable<E>::cases[0].name } -> std::convertible_to<std::string_view>;
};

template <class E>
concept RawValuedEnum = TabledEnum<E> &&
    (requires { EnumTable<E>::cases[0].rawValue; } || EnumTable<E>::rawValueIsName);

namespace detail {

template <class Row>
constexpr auto rawValueOfRow(const Row& row) {
    if constexpr (requires { row.rawValue; })
        return row.rawValue;
    else
        return row.name;
}

// The table row of a case: by its position when the enumerators count up from 0 as the table
// does, by a search otherwise; null for a value that is no case.
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

template <RawValuedEnum E>
using EnumRawValue = decltype(detail::rawValueOfRow(EnumTable<E>::cases[0]));

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
    return row != nullptr ? detail::rawValueOfRow(*row) : EnumRawValue<E>{};
}

// The case whose raw value equals the given one exactly; no value for any other.
template <RawValuedEnum E>
constexpr std::optional<E> fromRawValue(EnumRawValue<E> raw) {
    for (const auto& row : EnumTable<E>::cases) {
        if (detail::rawValueOfRow(row) == raw)
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

// True when the table lists the enumerators 0, 1, 2, ... in order.
template <TabledEnum E>
constexpr bool tableFollowsDeclarationOrder() {
    constexpr auto& table = EnumTable<E>::cases;
    for (std::size_t index = 0; index < table.size(); ++index) {
        if (static_cast<std::size_t>(table[index].value) != index)
            return false;
    }
    return true;
}

}  // namespace zoral::platform
