#pragma once

// The accessibility interface's names, as the system spells them: notifications, roles,
// subroles, attributes and actions. The simulated desktop answers in these names and the desktop
// model's typed vocabulary reads them; both come from the one list in ax_names.def. An identifier
// that is a C++ keyword carries an underscore ("delete_").

#include <string_view>

namespace zoral::platform::ax {

// Notifications an observer can register.
namespace notification {
#define AX_NOTIFICATION(identifier, name) inline constexpr std::string_view identifier = name;
#include "platform/ax_names.def"
}  // namespace notification

// Roles ("AXRole").
namespace role {
#define AX_ROLE(identifier, name) inline constexpr std::string_view identifier = name;
#include "platform/ax_names.def"
}  // namespace role

// Subroles ("AXSubrole").
namespace subrole {
#define AX_SUBROLE(identifier, name) inline constexpr std::string_view identifier = name;
#include "platform/ax_names.def"
}  // namespace subrole

// Attribute names.
namespace attribute {
#define AX_ATTRIBUTE(identifier, name) inline constexpr std::string_view identifier = name;
#include "platform/ax_names.def"
}  // namespace attribute

// Action names.
namespace action {
#define AX_ACTION(identifier, name) inline constexpr std::string_view identifier = name;
#include "platform/ax_names.def"
}  // namespace action

}  // namespace zoral::platform::ax
