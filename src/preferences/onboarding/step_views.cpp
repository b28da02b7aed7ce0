#include "preferences/onboarding/step_views.h"

#include "ui/text_field.h"

namespace zoral::preferences {

std::shared_ptr<ui::Button> actionButton(const std::string& title, std::function<void()> action) {
    auto button = ui::Button::pushButton(title);
    button->setAction([action = std::move(action)](ui::Control&) { action(); });
    return button;
}

std::shared_ptr<ui::StackView> stepView(const std::string& heading, const std::string& text,
                                        std::vector<std::shared_ptr<ui::Button>> buttons,
                                        double width) {
    auto title = ui::TextField::label(heading);
    title->setFont(ui::Font::boldSystem(15));
    auto body = ui::TextField::wrappingLabel(text);
    body->setWidth(width);

    std::vector<std::shared_ptr<ui::View>> row(buttons.begin(), buttons.end());
    auto buttonRow = std::make_shared<ui::StackView>(std::move(row));
    buttonRow->setSpacing(8);

    auto column = std::make_shared<ui::StackView>(
        std::vector<std::shared_ptr<ui::View>>{title, body, buttonRow},
        ui::LayoutOrientation::vertical);
    column->setAlignment(ui::StackAlignment::leading);
    column->setSpacing(12);
    column->setEdgeInsets({16, 16, 16, 16});
    return column;
}

}  // namespace zoral::preferences
