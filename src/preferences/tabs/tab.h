#pragma once

// The base of every page of the preferences window. A tab builds its controls and its section
// views as its nib holds them, and when its view has loaded stacks the sections in one column,
// top to bottom, with a separator between each two. The window controllers list the tabs and read
// each one's title, image and symbol for their sidebars.
//
// Main thread only.

#include <memory>
#include <string>
#include <vector>

#include "preferences/window/sidebar_tab.h"
#include "ui/stack_view.h"

namespace zoral::preferences {

class PreferencesTabController : public SidebarTab {
public:
    // The column is at least this wide, and no section wider than the maximum.
    static constexpr double minimumWidth = 400;
    static constexpr double maximumSectionWidth = 700;
    static constexpr double sectionSpacing = 16;

    // The views to stack, top to bottom: the nib's sections with separators between them.
    virtual std::vector<std::shared_ptr<ui::View>> sections() const { return {}; }
    // The nib the tab's controls come from.
    virtual std::string nibName() const { return {}; }

    // The column of sections; none until the view has loaded.
    const std::shared_ptr<ui::StackView>& stackView() const { return stackView_; }
    void setStackView(std::shared_ptr<ui::StackView> stackView) {
        stackView_ = std::move(stackView);
    }

    // Loads the nib: the controls and sections, in a plain view until viewDidLoad stacks them.
    void loadView() override;
    // Stacks the sections; the column becomes the tab's view. Subclasses call this first.
    void viewDidLoad() override;

    // The views with a separator between each two, as sections() gives them.
    static std::vector<std::shared_ptr<ui::View>> separated(
        const std::vector<std::shared_ptr<ui::View>>& views);

protected:
    // Builds what the tab's nib holds; called once, before viewDidLoad.
    virtual void loadNib() {}

private:
    std::shared_ptr<ui::StackView> stackView_;
};

}  // namespace zoral::preferences
