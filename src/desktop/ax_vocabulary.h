#pragma once

// The accessibility interface's vocabulary: notification, role, subrole, attribute and action
// names as typed cases. A case's raw value is the system's string for it, the platform's name of
// the same identifier. The cases and their table rows are made from the one list of names
// (platform/ax_names.def), in its order.

#include <array>
#include <cstdint>
#include <string_view>

#include "platform/ax_names.h"
#include "platform/enum_table.h"

namespace zoral::desktop {

enum class AXNotification : std::uint8_t {
#define AX_NOTIFICATION(identifier, name) identifier,
#include "platform/ax_names.def"
};

enum class Role : std::uint8_t {
#define AX_ROLE(identifier, name) identifier,
#include "platform/ax_names.def"
};

enum class Subrole : std::uint8_t {
#define AX_SUBROLE(identifier, name) identifier,
#include "platform/ax_names.def"
};

enum class Attribute : std::uint8_t {
#define AX_ATTRIBUTE(identifier, name) identifier,
#include "platform/ax_names.def"
};

// "delete" is a keyword: the case is delete_, its name "delete", its raw value stays "AXDelete".
enum class AXAction : std::uint8_t {
#define AX_ACTION(identifier, name) identifier,
#include "platform/ax_names.def"
};

enum class Orientation : int { unknown = 0, vertical = 1, horizontal = 2 };

namespace detail {

// A case's name: its identifier without the underscore that a keyword carries.
constexpr std::string_view axCaseName(std::string_view identifier) {
    return identifier.ends_with('_') ? identifier.substr(0, identifier.size() - 1) : identifier;
}

}  // namespace detail

}  // namespace zoral::desktop

namespace zoral::platform {

template <>
struct EnumTable<desktop::AXNotification> {
    using enum desktop::AXNotification;
    static constexpr auto cases =
        std::to_array<RawCase<desktop::AXNotification, std::string_view>>({
#define AX_NOTIFICATION(identifier, name) \
    {identifier, desktop::detail::axCaseName(#identifier), ax::notification::identifier},
#include "platform/ax_names.def"
        });
};

template <>
struct EnumTable<desktop::Role> {
    using enum desktop::Role;
    static constexpr auto cases = std::to_array<RawCase<desktop::Role, std::string_view>>({
#define AX_ROLE(identifier, name) \
    {identifier, desktop::detail::axCaseName(#identifier), ax::role::identifier},
#include "platform/ax_names.def"
    });
};

template <>
struct EnumTable<desktop::Subrole> {
    using enum desktop::Subrole;
    static constexpr auto cases = std::to_array<RawCase<desktop::Subrole, std::string_view>>({
#define AX_SUBROLE(identifier, name) \
    {identifier, desktop::detail::axCaseName(#identifier), ax::subrole::identifier},
#include "platform/ax_names.def"
    });
};

template <>
struct EnumTable<desktop::Attribute> {
    using enum desktop::Attribute;
    static constexpr auto cases = std::to_array<RawCase<desktop::Attribute, std::string_view>>({
#define AX_ATTRIBUTE(identifier, name) \
    {identifier, desktop::detail::axCaseName(#identifier), ax::attribute::identifier},
#include "platform/ax_names.def"
    });
};

template <>
struct EnumTable<desktop::AXAction> {
    using enum desktop::AXAction;
    static constexpr auto cases = std::to_array<RawCase<desktop::AXAction, std::string_view>>({
#define AX_ACTION(identifier, name) \
    {identifier, desktop::detail::axCaseName(#identifier), ax::action::identifier},
#include "platform/ax_names.def"
    });
};

template <>
struct EnumTable<desktop::Orientation> {
    using enum desktop::Orientation;
    static constexpr std::array<RawCase<desktop::Orientation, int>, 3> cases{{
        {unknown, "unknown", 0},
        {vertical, "vertical", 1},
        {horizontal, "horizontal", 2},
    }};
};

static_assert(tableFollowsDeclarationOrder<desktop::AXNotification>());
static_assert(tableFollowsDeclarationOrder<desktop::Role>());
static_assert(tableFollowsDeclarationOrder<desktop::Subrole>());
static_assert(tableFollowsDeclarationOrder<desktop::Attribute>());
static_assert(tableFollowsDeclarationOrder<desktop::AXAction>());
static_assert(tableFollowsDeclarationOrder<desktop::Orientation>());

}  // namespace zoral::platform
