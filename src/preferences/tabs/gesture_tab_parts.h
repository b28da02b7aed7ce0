#pragma once

// What the tabs of gesture rows share: the rules of their modifier controls, and the pieces their
// sections are laid out from.
//
// A modifier control's rules name the setting the control edits, the setting whose keys it may
// not use, and the settings whose combinations it may not equal. Every rule reads its setting at
// each check, so the control sees changes made in other tabs without being rebuilt.
//
// Main thread only.

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "preferences/widgets/gesture_view.h"
#include "preferences/widgets/mod_key_control.h"
#include "settings/defaults.h"
#include "ui/control.h"
#include "ui/stack_view.h"
#include "ui/text_field.h"

namespace zoral::preferences {

using ModifierSetting = settings::Defaults::Key<settings::ModifierFlags>;

struct ModKeyRules {
    const ModifierSetting* edits;
    const ModifierSetting* disabled;
    std::array<const ModifierSetting*, 3> constraints;
};

// Sets the control's starting flags, disabled keys and constraints (appended in order), then
// shows the stored combination.
void applyModKeyRules(ModKeyControl& control, const ModKeyRules& rules);
// Shows the stored combination again: the flags from initialFlags, and the title.
void refreshModKeyControl(ModKeyControl& control);
// The control's action: writes the sender's flags, unchanged, to the setting.
ui::Control::Action modKeyWriter(const ModifierSetting& key);

// A row of the action kind, as GestureView makes it.
struct GestureRow {
    settings::ActionUserType action;
    std::string title;
    GestureIcon icon;
    ui::Color tint;
    std::string description;
    std::optional<std::string> info;
    GestureSequences sequences;
};
// Makes the rows and adds them to the stack, in order.
void addGestureRows(ui::StackView& stack, const std::vector<GestureRow>& rows);

// A section's pieces: a column of views, leading-aligned; the section's head, its bold title over
// a note in small grey text and, when given, the row of its modifier controls; that row, each
// control behind its name.
std::shared_ptr<ui::StackView> verticalStack(std::vector<std::shared_ptr<ui::View>> views,
                                             double spacing, ui::EdgeInsets insets = {});
std::shared_ptr<ui::StackView> sectionHead(std::string title, std::string note,
                                           std::shared_ptr<ui::View> modifiers = nullptr);
std::shared_ptr<ui::StackView> modifierRow(
    const std::vector<std::pair<std::string, std::shared_ptr<ModKeyControl>>>& controls);

}  // namespace zoral::preferences
