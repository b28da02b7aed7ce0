#include "preferences/tabs/tab_layout.h"

namespace zoral::preferences::layout {

namespace {

std::shared_ptr<ui::TextField> quiet(std::shared_ptr<ui::TextField> label) {
    label->setFont(ui::Font::system(11));
    label->setTextColor(ui::SystemColor::secondaryLabel);
    return label;
}

ModKeyControl::FlagsSource reader(const ModifierSetting& key) {
    return [&key] { return settings::Defaults::readValue(key); };
}

}  // namespace

std::shared_ptr<ui::StackView> column(Views views, double spacing, ui::EdgeInsets insets) {
    auto stack = std::make_shared<ui::StackView>(std::move(views), ui::LayoutOrientation::vertical);
    stack->setAlignment(ui::StackAlignment::leading);
    stack->setSpacing(spacing);
    stack->setEdgeInsets(insets);
    return stack;
}

std::shared_ptr<ui::StackView> section(Views views, double top, double bottom) {
    return column(std::move(views), 8, {top, 20, bottom, 20});
}

std::shared_ptr<ui::StackView> section(const std::string& title, Views views, double top,
                                       double bottom) {
    Views withHeading{heading(title)};
    for (auto& view : views)
        withHeading.push_back(std::move(view));
    return section(std::move(withHeading), top, bottom);
}

std::shared_ptr<ui::StackView> row(Views views) {
    auto stack =
        std::make_shared<ui::StackView>(std::move(views), ui::LayoutOrientation::horizontal);
    stack->setAlignment(ui::StackAlignment::centerY);
    stack->setSpacing(8);
    return stack;
}

std::shared_ptr<ui::TextField> heading(const std::string& text) {
    auto label = ui::TextField::label(text);
    label->setFont(ui::Font::boldSystem(13));
    return label;
}

std::shared_ptr<ui::TextField> caption(const std::string& text, double width) {
    auto label = ui::TextField::label(text);
    label->setWidth(width);
    return label;
}

std::shared_ptr<ui::TextField> note(const std::string& text, double width) {
    auto label = columnNote(text);
    label->setWidth(width);
    return label;
}

std::shared_ptr<ui::TextField> columnNote(const std::string& text) {
    return quiet(ui::TextField::wrappingLabel(text));
}

std::shared_ptr<ui::TextField> lineNote(const std::string& text) {
    return quiet(ui::TextField::label(text));
}

std::shared_ptr<ui::Button> checkbox(const std::string& title, ui::Control::Action action) {
    auto box = ui::Button::checkbox(title);
    box->setAction(std::move(action));
    return box;
}

bool isOn(const ui::Control& sender) {
    const auto* button = dynamic_cast<const ui::Button*>(&sender);
    return button != nullptr && button->state() == ui::ControlState::on;
}

ui::ControlState stateOf(bool on) {
    return on ? ui::ControlState::on : ui::ControlState::off;
}

ui::Control::Action writer(const settings::Defaults::Key<bool>& key) {
    return [&key](ui::Control& sender) { settings::Defaults::writeValue(key, isOn(sender)); };
}

ui::Control::Action writer(const ModifierSetting& key) {
    return [&key](ui::Control& sender) {
        // Only a modifier control sends this action.
        if (const auto* control = dynamic_cast<const ModKeyControl*>(&sender))
            settings::Defaults::writeValue(key, control->flags);
    };
}

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

void addGestureRows(ui::StackView& stack, const std::vector<GestureRow>& rows) {
    for (const GestureRow& row : rows) {
        stack.addArrangedSubview(std::make_shared<GestureView>(
            row.action, row.title, row.icon, row.tint, row.description, row.info, row.sequences));
    }
}

std::shared_ptr<ui::StackView> sectionHead(std::string title, std::string note,
                                           std::shared_ptr<ui::View> modifiers) {
    auto head = column({heading(title), columnNote(note)}, 6);
    if (modifiers)
        head->addArrangedSubview(std::move(modifiers));
    return head;
}

std::shared_ptr<ui::StackView> modifierRow(
    const std::vector<std::pair<std::string, std::shared_ptr<ModKeyControl>>>& controls) {
    auto line = row({});
    for (const auto& [name, control] : controls) {
        line->addArrangedSubview(ui::TextField::label(name));
        line->addArrangedSubview(control);
    }
    return line;
}

}  // namespace zoral::preferences::layout
