#pragma once

// What the tabs' pages are built from, so that every tab looks alike: sections of controls in a
// column, rows, headings, captions of one width in front of controls, and the states of their
// checkboxes. Main thread only.

#include <memory>
#include <string>
#include <vector>

#include "ui/button.h"
#include "ui/control.h"
#include "ui/stack_view.h"
#include "ui/text_field.h"

namespace zoral::preferences::layout {

using Views = std::vector<std::shared_ptr<ui::View>>;

// A section: its controls in a column, inset from the window's edges (further at the top of the
// first section and the bottom of the last).
std::shared_ptr<ui::StackView> section(Views views, double top = 0, double bottom = 0);
// Controls side by side, centred on one line.
std::shared_ptr<ui::StackView> row(Views views);
std::shared_ptr<ui::TextField> heading(const std::string& text);
// A label in front of a control, of one width so that the controls of a tab line up.
std::shared_ptr<ui::TextField> caption(const std::string& text, double width = 120);
// A smaller, quieter text under a control that explains it.
std::shared_ptr<ui::TextField> note(const std::string& text);

// Whether the sender is a checkbox that is on; a mixed state is not.
bool isOn(const ui::Control& sender);
ui::ControlState stateOf(bool on);

}  // namespace zoral::preferences::layout
