#pragma once

// A toolbar delegate with the preferences window's two items: a Quit button by default, and the
// onboarding button (one button, made once, as the window keeps it).

#include <memory>
#include <string>
#include <vector>

#include "ui/button.h"
#include "ui/toolbar.h"

namespace zoral::ui::testing {

class ToolbarItems final : public ToolbarDelegate {
public:
    std::vector<std::string> toolbarDefaultItemIdentifiers(Toolbar&) override { return {"Quit"}; }
    std::vector<std::string> toolbarAllowedItemIdentifiers(Toolbar&) override {
        return {"Onboard", "Quit"};
    }
    std::shared_ptr<ToolbarItem> itemForIdentifier(Toolbar&, const std::string& identifier,
                                                   bool) override {
        auto item = std::make_shared<ToolbarItem>();
        item->identifier = identifier;
        item->label = identifier;
        item->view = identifier == "Quit" ? Button::pushButton("Quit") : onboarding;
        return item;
    }

    std::shared_ptr<Button> onboarding = Button::pushButton("Welcome");
};

}  // namespace zoral::ui::testing
