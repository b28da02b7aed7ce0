#include "preferences/tabs/gesture_tab_parts.h"

namespace zoral::preferences {

namespace {

ModKeyControl::FlagsSource reader(const ModifierSetting& key) {
    return [&key] { return settings::Defaults::readValue(key); };
}

}  // namespace

void applyModKeyRules(ModKeyControl& control, const ModKeyRules& rules) {
    control.initialFlags = reader(*rules.edits);
    control.disabledFlags = reader(*rules.disabled);
    for (const ModifierSetting* constraint : rules.constraints)
        control.flagsConstraints.push_back(reader(*constraint));
    refreshModKeyControl(control);
}

void refreshModKeyControl(ModKeyControl& control) {
    control.flags = control.initialFlags();
    control.updateTitle();
}

ui::Control::Action modKeyWriter(const ModifierSetting& key) {
    return [&key](ui::Control& sender) {
        // Only a modifier control sends this action.
        if (const auto* control = dynamic_cast<const ModKeyControl*>(&sender))
            settings::Defaults::writeValue(key, control->flags);
    };
}

void addGestureRows(ui::StackView& stack, const std::vector<GestureRow>& rows) {
    for (const GestureRow& row : rows) {
        stack.addArrangedSubview(std::make_shared<GestureView>(
            row.action, row.title, row.icon, row.tint, row.description, row.info, row.sequences));
    }
}

std::shared_ptr<ui::StackView> verticalStack(std::vector<std::shared_ptr<ui::View>> views,
                                             double spacing, ui::EdgeInsets insets) {
    auto stack = std::make_shared<ui::StackView>(std::move(views), ui::LayoutOrientation::vertical);
    stack->setAlignment(ui::StackAlignment::leading);
    stack->setSpacing(spacing);
    stack->setEdgeInsets(insets);
    return stack;
}

std::shared_ptr<ui::StackView> sectionHead(std::string title, std::string note,
                                           std::shared_ptr<ui::View> modifiers) {
    auto heading = ui::TextField::label(std::move(title));
    heading->setFont(ui::Font::boldSystem(13));
    auto explanation = ui::TextField::wrappingLabel(std::move(note));
    explanation->setFont(ui::Font::system(11));
    explanation->setTextColor(ui::SystemColor::secondaryLabel);
    auto head = verticalStack({heading, explanation}, 6);
    if (modifiers)
        head->addArrangedSubview(std::move(modifiers));
    return head;
}

std::shared_ptr<ui::StackView> modifierRow(
    const std::vector<std::pair<std::string, std::shared_ptr<ModKeyControl>>>& controls) {
    auto row = std::make_shared<ui::StackView>();
    row->setAlignment(ui::StackAlignment::centerY);
    row->setSpacing(8);
    for (const auto& [name, control] : controls) {
        row->addArrangedSubview(ui::TextField::label(name));
        row->addArrangedSubview(control);
    }
    return row;
}

}  // namespace zoral::preferences
