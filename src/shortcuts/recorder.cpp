#include "shortcuts/recorder.h"

#include <utility>

#include "ui/text_field.h"

namespace zoral::shortcuts::GlobalShortcuts {

std::shared_ptr<Recorder> Recorder::make(Name name, RecorderCocoa::OnChange onChange, bool hasLabel,
                                         const LabelBuilder& label) {
    return std::make_shared<Recorder>(Passkey{}, std::move(name), std::move(onChange), hasLabel,
                                      label ? label() : nullptr);
}

std::shared_ptr<Recorder> Recorder::make(const std::string& title, Name name,
                                         RecorderCocoa::OnChange onChange) {
    return make(std::move(name), std::move(onChange), true,
                [&title] { return ui::TextField::label(title); });
}

Recorder::Recorder(Passkey, Name name, RecorderCocoa::OnChange onChange, bool hasLabel,
                   std::shared_ptr<ui::View> label)
    : ui::StackView({}, ui::LayoutOrientation::horizontal),
      name_(std::move(name)),
      onChange_(std::move(onChange)),
      hasLabel_(hasLabel),
      label_(std::move(label)),
      control_(RecorderCocoa::make(name_, onChange_)) {
    // One-line texts centred across the row stand on one baseline.
    setAlignment(ui::StackAlignment::centerY);
    if (hasLabel_ && label_)
        addArrangedSubview(label_);
    addArrangedSubview(control_);
}

void Recorder::update(Name name) {
    name_ = std::move(name);
    control_->setShortcutName(name_);
}

double Recorder::controlAlignment() {
    layoutSubtreeIfNeeded();
    return control_->frame().minX();
}

}  // namespace zoral::shortcuts::GlobalShortcuts
