#include "preferences/tabs/tab.h"

#include "ui/box.h"

namespace zoral::preferences {

void PreferencesTabController::loadView() {
    loadNib();
    setView(std::make_shared<ui::View>());
}

void PreferencesTabController::viewDidLoad() {
    ui::ViewController::viewDidLoad();
    auto stack = std::make_shared<ui::StackView>(sections(), ui::LayoutOrientation::vertical);
    stack->setAlignment(ui::StackAlignment::leading);
    stack->setSpacing(sectionSpacing);
    stack->setDistribution(ui::StackDistribution::fill);
    stack->setMinimumWidth(minimumWidth);
    for (const auto& view : stack->arrangedSubviews())
        view->setMaximumWidth(maximumSectionWidth);
    stackView_ = stack;
    setView(std::move(stack));
}

std::vector<std::shared_ptr<ui::View>> PreferencesTabController::separated(
    const std::vector<std::shared_ptr<ui::View>>& views) {
    std::vector<std::shared_ptr<ui::View>> result;
    for (const auto& view : views) {
        if (!result.empty()) {
            auto separator = std::make_shared<ui::Box>(ui::BoxType::separator);
            separator->setFrame({0, 0, 100, 1});
            // Across the column, which is at least this wide.
            separator->setMinimumWidth(minimumWidth);
            result.push_back(std::move(separator));
        }
        result.push_back(view);
    }
    return result;
}

}  // namespace zoral::preferences
