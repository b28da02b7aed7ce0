#include "preferences/tabs/tab_layout.h"

namespace zoral::preferences::layout {

std::shared_ptr<ui::StackView> section(Views views, double top, double bottom) {
    auto stack = std::make_shared<ui::StackView>(std::move(views), ui::LayoutOrientation::vertical);
    stack->setAlignment(ui::StackAlignment::leading);
    stack->setSpacing(8);
    stack->setEdgeInsets({top, 20, bottom, 20});
    return stack;
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

std::shared_ptr<ui::TextField> note(const std::string& text) {
    auto label = ui::TextField::wrappingLabel(text);
    label->setFont(ui::Font::system(11));
    label->setTextColor(ui::SystemColor::secondaryLabel);
    label->setWidth(380);
    return label;
}

bool isOn(const ui::Control& sender) {
    const auto* button = dynamic_cast<const ui::Button*>(&sender);
    return button != nullptr && button->state() == ui::ControlState::on;
}

ui::ControlState stateOf(bool on) {
    return on ? ui::ControlState::on : ui::ControlState::off;
}

}  // namespace zoral::preferences::layout
