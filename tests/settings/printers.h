#pragma once

// Readable failure messages for the values the settings tests compare.

#include <ostream>
#include <string>

#include "platform/enum_table.h"
#include "platform/plist_object.h"
#include "settings/action_user_type.h"
#include "settings/hotkeys_arrow_layout.h"
#include "settings/hotkeys_center_layout.h"
#include "settings/modifier_flags.h"
#include "settings/multitouch_sensitivity.h"
#include "settings/preferences_tab.h"
#include "settings/snapping_center_action.h"
#include "settings/tab_app_type.h"

namespace zoral::platform {

void PrintTo(const PlistObject& object, std::ostream* out);

}  // namespace zoral::platform

namespace zoral::settings {

template <platform::RawValuedEnum E>
void printRawValue(E value, std::ostream* out) {
    *out << platform::EnumTable<E>::typeName << "(" << platform::rawValue(value) << ")";
}

// Overloads, not a template: a template would tie with the test library's own.
inline void PrintTo(ActionUserType value, std::ostream* out) {
    printRawValue(value, out);
}
inline void PrintTo(TabAppType value, std::ostream* out) {
    printRawValue(value, out);
}
inline void PrintTo(MultitouchSensitivity value, std::ostream* out) {
    printRawValue(value, out);
}
inline void PrintTo(SnappingCenterAction value, std::ostream* out) {
    printRawValue(value, out);
}
inline void PrintTo(HotkeysArrowLayout value, std::ostream* out) {
    printRawValue(value, out);
}
inline void PrintTo(HotkeysCenterLayout value, std::ostream* out) {
    printRawValue(value, out);
}
inline void PrintTo(PreferencesTab value, std::ostream* out) {
    printRawValue(value, out);
}

inline void PrintTo(ModifierFlags flags, std::ostream* out) {
    *out << "ModifierFlags(0x" << std::hex << flags.rawValue() << std::dec << ")";
}

}  // namespace zoral::settings
