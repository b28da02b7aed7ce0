#pragma once

// The look shared by the onboarding popovers' steps and the Accessibility sheet: a bold heading,
// a wrapping text and a row of buttons below, in a column with a margin around.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/button.h"
#include "ui/stack_view.h"

namespace zoral::preferences {

// A push button that runs the action when the user clicks it.
std::shared_ptr<ui::Button> actionButton(const std::string& title, std::function<void()> action);

// The step's column; `width` is the width its text wraps at.
std::shared_ptr<ui::StackView> stepView(const std::string& heading, const std::string& text,
                                        std::vector<std::shared_ptr<ui::Button>> buttons,
                                        double width = 300);

}  // namespace zoral::preferences
