#include "shortcuts/resource_bundle.h"

#include <array>
#include <utility>

namespace zoral::shortcuts {

namespace {

// "%@" stands for the name of the menu item, as the recorder fills it in.
constexpr std::array<std::pair<std::string_view, std::string_view>, 5> texts{{
    {"record_shortcut", "Record Shortcut"},
    {"press_shortcut", "Press Shortcut"},
    {"keyboard_shortcut_used_by_menu_item",
     "This shortcut cannot be used: the menu item “%@” has it already."},
    {"keyboard_shortcut_used_by_system",
     "This shortcut cannot be used: the system uses it for one of its own."},
    {"keyboard_shortcuts_can_be_changed",
     "The system’s shortcuts can be changed in the Keyboard section of the system settings."},
}};

}  // namespace

std::string ResourceBundle::localizedString(std::string_view key) const {
    for (const auto& [name, text] : texts) {
        if (name == key)
            return std::string(text);
    }
    return std::string(key);
}

}  // namespace zoral::shortcuts
