#pragma once

// What the tabs' pages are built from, so that every tab looks alike: sections of controls in a
// column, rows, headings, captions of one width in front of controls, notes, the columns of
// gesture rows, the states of checkboxes and the actions that store them, and the owner's rules of
// a modifier control.
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
#include "ui/button.h"
#include "ui/control.h"
#include "ui/stack_view.h"
#include "ui/text_field.h"

namespace zoral::preferences::layout {

using Views = std::vector<std::shared_ptr<ui::View>>;
using ModifierSetting = settings::Defaults::Key<settings::ModifierFlags>;

// Views in a column, leading-aligned.
std::shared_ptr<ui::StackView> column(Views views, double spacing, ui::EdgeInsets insets = {});
// A section: its controls in a column, inset from the window's edges (further at the top of the
// first section and the bottom of the last).
std::shared_ptr<ui::StackView> section(Views views, double top = 0, double bottom = 0);
// The same under a heading.
std::shared_ptr<ui::StackView> section(const std::string& title, Views views, double top = 0,
                                       double bottom = 0);
// Controls side by side, centred on one line.
std::shared_ptr<ui::StackView> row(Views views);
std::shared_ptr<ui::TextField> heading(const std::string& text);
// A label in front of a control, of one width so that the controls of a tab line up.
std::shared_ptr<ui::TextField> caption(const std::string& text, double width = 120);
// A smaller, quieter text under a control that explains it, wrapped at the width.
std::shared_ptr<ui::TextField> note(const std::string& text, double width = 380);
// The same, wrapped at the width of its column.
std::shared_ptr<ui::TextField> columnNote(const std::string& text);
// The same on one line.
std::shared_ptr<ui::TextField> lineNote(const std::string& text);
// A checkbox with its action.
std::shared_ptr<ui::Button> checkbox(const std::string& title, ui::Control::Action action);

// Whether the sender is a checkbox that is on; a mixed state is not.
bool isOn(const ui::Control& sender);
ui::ControlState stateOf(bool on);
// The action of a checkbox that stores whether it is on.
ui::Control::Action writer(const settings::Defaults::Key<bool>& key);
// The action of a modifier control: writes the sender's flags, unchanged, to the setting.
ui::Control::Action writer(const ModifierSetting& key);

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

// A row of the action kind, as GestureView makes it.
struct GestureRow {
    settings::ActionUserType action;
    std::string title;
    GestureIcon icon;
    ui::Color tint;
    std::string description;
    // None: the row then says that there is no more to know.
    std::optional<std::string> info;
    GestureSequences sequences;
};
// Makes the rows and adds them to the stack, in order.
void addGestureRows(ui::StackView& stack, const std::vector<GestureRow>& rows);

// A gesture section's head: its bold title over a note in small grey text and, when given, the
// row of its modifier controls.
std::shared_ptr<ui::StackView> sectionHead(std::string title, std::string note,
                                           std::shared_ptr<ui::View> modifiers = nullptr);
// Modifier controls on one line, each behind its name.
std::shared_ptr<ui::StackView> modifierRow(
    const std::vector<std::pair<std::string, std::shared_ptr<ModKeyControl>>>& controls);

}  // namespace zoral::preferences::layout
