#include "app/diagnostics/diagnostics_popover.h"

#include <string>

#include "ui/layout_guide.h"

namespace zoral::app {

namespace {

std::shared_ptr<ui::TextField> wrappingLabel(const std::string& text, ui::Font font) {
    auto label = ui::TextField::wrappingLabel(text);
    label->setSelectable(false);
    label->setFont(font);
    label->setTextColor(ui::SystemColor::label);
    return label;
}

}  // namespace

DiagnosticsView::DiagnosticsView(std::shared_ptr<DiagnosticsItem> item)
    : ui::StackView({}, ui::LayoutOrientation::horizontal), item_(std::move(item)) {
    setAlignment(ui::StackAlignment::top);
    setSpacing(8);
    setContentHuggingPriority(502, ui::LayoutOrientation::vertical);

    imageView_ = std::make_shared<ui::ImageView>();
    titleView_ = wrappingLabel(item_->title(), ui::Font::boldSystem(13));
    titleView_->setToolTip(item_->description());
    // Only there to show the description on hover.
    descriptionButton_ = ui::Button::helpButton();
    descriptionButton_->setEnabled(false);
    descriptionButton_->setControlSize(ui::ControlSize::mini);
    descriptionButton_->setToolTip(item_->description());
    messageView_ = wrappingLabel(item_->message().value_or(""), ui::Font::system(11));
    solutionView_ = wrappingLabel(item_->solution(), ui::Font::system(11));

    titleStackView_ = std::make_shared<ui::StackView>(
        std::vector<std::shared_ptr<ui::View>>{titleView_, descriptionButton_},
        ui::LayoutOrientation::horizontal);
    titleStackView_->setAlignment(ui::StackAlignment::centerY);
    titleStackView_->setSpacing(8);
    titleStackView_->setContentHuggingPriority(504, ui::LayoutOrientation::horizontal);
    titleStackView_->setContentHuggingPriority(504, ui::LayoutOrientation::vertical);

    textStackView_ = std::make_shared<ui::StackView>(
        std::vector<std::shared_ptr<ui::View>>{titleStackView_, messageView_, solutionView_},
        ui::LayoutOrientation::vertical);
    textStackView_->setAlignment(ui::StackAlignment::leading);
    textStackView_->setSpacing(6);
    textStackView_->setContentHuggingPriority(503, ui::LayoutOrientation::vertical);

    addArrangedSubview(imageView_);
    addArrangedSubview(textStackView_);
    imageView_->setHeight(18);
    setWidth(300);
    showStatus();
}

void DiagnosticsView::showStatus() {
    const Diagnostics::Status status = item_->status().value_or(Diagnostics::Status::green);
    // A name without an image shows an empty one.
    imageView_->setImage(std::string(Diagnostics::statusImageName(status)));
    solutionView_->setHidden(status == Diagnostics::Status::green);
}

void DiagnosticsView::update() {
    messageView_->setStringValue(item_->message().value_or(""));
    solutionView_->setStringValue(item_->solution());
    showStatus();
}

DiagnosticsPopoverViewController::DiagnosticsPopoverViewController() {
    for (const auto& item : Diagnostics::items())
        views_.push_back(std::make_shared<DiagnosticsView>(item));
    stackView_ = std::make_shared<ui::StackView>(
        std::vector<std::shared_ptr<ui::View>>(views_.begin(), views_.end()),
        ui::LayoutOrientation::vertical);
    stackView_->setAlignment(ui::StackAlignment::leading);
    stackView_->setSpacing(12);
    stackView_->setContentHuggingPriority(501, ui::LayoutOrientation::vertical);
}

void DiagnosticsPopoverViewController::loadView() {
    auto view = std::make_shared<ui::View>();
    // The popover's size follows from the rows' fixed width and the insets.
    ui::pin(*stackView_, *view, 16);
    setView(std::move(view));
}

void DiagnosticsPopoverViewController::viewWillAppear() {
    for (const auto& row : views_)
        row->update();
    ui::ViewController::viewWillAppear();
}

}  // namespace zoral::app
