#pragma once

// The preferences window on a simulated desktop of its own: the world's Accessibility permission
// and a monitor of it, the controller made as the program makes it, and the user's hands on the
// window's views (sidebar rows, toolbar items, buttons found by their titles).

#include <QPoint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "desktop/ax_access.h"
#include "preferences/onboarding/accessibility_window_controller.h"
#include "preferences/onboarding/onboarding_popovers.h"
#include "preferences/window/swift_preferences_controller.h"
#include "settings/defaults.h"
#include "sim/world.h"
#include "ui/button.h"
#include "ui/text_field.h"
#include "ui_world.h"
#include "widget_driver.h"

namespace zoral::preferences::testing {

class PreferencesWorldTest : public ui::testing::UiWorldTest {
protected:
    PreferencesWorldTest() : access(desktop::AXAccess::make()) {}
    ~PreferencesWorldTest() override { controller.reset(); }

    SwiftPreferencesController& open() {
        controller = std::make_shared<SwiftPreferencesController>(
            PreferencesEnvironment{access.get(), [this] { ++terminations; }});
        return *controller;
    }

    ui::TitledWindow& window() { return *controller->window(); }
    SplitViewController& split() { return *controller->splitViewController(); }
    ui::TableView& sidebar() { return *split().sidebarViewController()->tableView(); }
    MainViewController& pane() { return *split().mainViewController(); }

    // The tab whose page the pane shows; -1 for none or another view.
    std::int64_t shownTab() {
        const auto& pages = pane().mainView()->subviews();
        if (pages.size() != 1)
            return -1;
        const auto& tabs = split().contentViewControllers();
        for (std::size_t index = 0; index < tabs.size(); ++index) {
            if (tabs[index]->isViewLoaded() && tabs[index]->view() == pages.front())
                return static_cast<std::int64_t>(index);
        }
        return -1;
    }

    static std::int64_t storedTab() {
        return static_cast<std::int64_t>(
            settings::Defaults::readValue(settings::Defaults::Keys::prefsLastTab()));
    }

    // The user clicks the sidebar at the row (a row past the last clicks below the rows).
    void clickRow(std::int64_t row) {
        ui::testing::click(sidebar(), QPoint(60, static_cast<int>(row * 36 + 18)));
    }

    std::vector<std::string> toolbarItems() {
        std::vector<std::string> identifiers;
        for (const auto& item : window().toolbar()->items())
            identifiers.push_back(item->identifier);
        return identifiers;
    }

    std::shared_ptr<ui::Popover> popover() { return controller->presentedPopover(); }

    template <class Controller>
    Controller& popoverController() {
        return dynamic_cast<Controller&>(*popover()->contentViewController());
    }

    // The visible button with the title in the view's tree; fails the test when there is none.
    static ui::Button& button(const ui::View& root, const std::string& title) {
        ui::Button* found = findButton(root, title);
        if (found == nullptr)
            throw std::runtime_error("no visible button \"" + title + "\"");
        return *found;
    }
    static ui::Button* findButton(const ui::View& root, const std::string& title) {
        if (root.isHidden())
            return nullptr;
        if (auto* candidate = dynamic_cast<const ui::Button*>(&root);
            candidate != nullptr && candidate->title() == title) {
            return const_cast<ui::Button*>(candidate);
        }
        for (const auto& subview : root.subviews()) {
            if (ui::Button* found = findButton(*subview, title))
                return found;
        }
        return nullptr;
    }
    // The texts of the labels in the view's tree, in tree order.
    static void collectTexts(const ui::View& root, std::vector<std::string>& texts) {
        if (const auto* field = dynamic_cast<const ui::TextField*>(&root))
            texts.push_back(field->stringValue());
        for (const auto& subview : root.subviews())
            collectTexts(*subview, texts);
    }

    void clickButton(const ui::View& root, const std::string& title) {
        ui::testing::click(button(root, title), QPoint(4, 4));
    }

    // Lets the main queue take its next turns, without moving the clock.
    void turn() { scheduler().runUntilIdle(); }

    std::shared_ptr<desktop::AXAccess> access;
    std::shared_ptr<SwiftPreferencesController> controller;
    int terminations = 0;
};

}  // namespace zoral::preferences::testing
