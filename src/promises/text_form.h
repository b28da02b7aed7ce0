#pragma once

// How values, errors and types read in the promises' texts: a value's default text form and the
// unqualified name of a type (its own name without namespaces).

#include <concepts>
#include <optional>
#include <ostream>
#include <ranges>
#include <sstream>
#include <string>
#include <string_view>
#include <type_traits>
#include <typeinfo>

#include "platform/error.h"
#include "promises/result.h"

namespace zoral::promises {

// The demangled name of a type_info with every namespace qualifier removed.
std::string unqualifiedTypeName(const std::type_info& type);

template <class T>
std::string typeName() {
    if constexpr (std::is_same_v<T, std::string>) {
        return "string";
    } else {
        return unqualifiedTypeName(typeid(T));
    }
}

// The unqualified name of the error's own (dynamic) type.
std::string errorTypeName(const platform::Error& error);

namespace detail {
template <class T>
concept Streamable = requires(std::ostream& out, const T& value) {
    out << value;
};
}  // namespace detail

template <class T>
std::string textForm(const T& value) {
    if constexpr (std::is_same_v<T, Unit>) {
        return "()";
    } else if constexpr (std::is_same_v<T, bool>) {
        return value ? "true" : "false";
    } else if constexpr (std::is_convertible_v<const T&, std::string_view>) {
        return std::string(std::string_view(value));
    } else if constexpr (std::is_convertible_v<const T&, const platform::Error&>) {
        return static_cast<const platform::Error&>(value).description();
    } else if constexpr (std::is_same_v<T, ErrorRef>) {
        return value ? value->description() : "nil";
    } else if constexpr (detail::Streamable<T>) {
        std::ostringstream out;
        out << value;
        return out.str();
    } else if constexpr (std::ranges::input_range<const T>) {
        std::string text = "[";
        bool first = true;
        for (const auto& element : value) {
            if (!first)
                text += ", ";
            first = false;
            text += textForm(element);
        }
        return text + "]";
    } else if constexpr (requires {
                             value.has_value();
                             *value;
                         }) {
        return value.has_value() ? textForm(*value) : std::string("nil");
    } else {
        return typeName<T>();
    }
}

}  // namespace zoral::promises
