#pragma once

// The diagnostics popover's content: one row per diagnostics item, in the items' order, each with
// the status light, the title with a help badge that shows the item's description on hover, the
// latest check's message and, unless the item is green, the suggested solution. Built in code,
// once, and refreshed from the items every time it appears; it runs no check of its own.
//
// Main thread only.

#include <memory>
#include <vector>

#include "app/diagnostics/diagnostics.h"
#include "ui/button.h"
#include "ui/image_view.h"
#include "ui/stack_view.h"
#include "ui/text_field.h"
#include "ui/view_controller.h"

namespace zoral::app {

// One item's row.
class DiagnosticsView : public ui::StackView {
public:
    explicit DiagnosticsView(std::shared_ptr<DiagnosticsItem> item);

    // Shows the item's current status, message and solution.
    void update();

    const std::shared_ptr<DiagnosticsItem>& item() const { return item_; }
    const std::shared_ptr<ui::ImageView>& imageView() const { return imageView_; }
    const std::shared_ptr<ui::TextField>& titleView() const { return titleView_; }
    const std::shared_ptr<ui::Button>& descriptionButton() const { return descriptionButton_; }
    const std::shared_ptr<ui::TextField>& messageView() const { return messageView_; }
    const std::shared_ptr<ui::TextField>& solutionView() const { return solutionView_; }

private:
    void showStatus();

    std::shared_ptr<DiagnosticsItem> item_;
    std::shared_ptr<ui::StackView> textStackView_;
    std::shared_ptr<ui::StackView> titleStackView_;
    std::shared_ptr<ui::ImageView> imageView_;
    std::shared_ptr<ui::TextField> titleView_;
    std::shared_ptr<ui::Button> descriptionButton_;
    std::shared_ptr<ui::TextField> messageView_;
    std::shared_ptr<ui::TextField> solutionView_;
};

class DiagnosticsPopoverViewController : public ui::ViewController {
public:
    // Builds a row for each item of the diagnostics (which makes and checks them on first use).
    DiagnosticsPopoverViewController();

    const std::vector<std::shared_ptr<DiagnosticsView>>& views() const { return views_; }

    void loadView() override;
    void viewWillAppear() override;

private:
    std::shared_ptr<ui::StackView> stackView_;
    std::vector<std::shared_ptr<DiagnosticsView>> views_;
};

}  // namespace zoral::app
