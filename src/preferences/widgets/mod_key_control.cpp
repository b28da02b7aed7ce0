#include "preferences/widgets/mod_key_control.h"

#include <bit>
#include <optional>
#include <string>

#include "app/app_delegate.h"
#include "platform/local_events.h"
#include "settings/preferences_tab.h"

namespace zoral::preferences {

namespace {

using settings::ModifierFlags;
using Result = ModKeyControl::SetFlagsResult;

constexpr std::string_view noKeysTitle = "\u2013";
constexpr double segmentWidth = 42;

int bitCount(std::uint64_t raw) {
    return std::popcount(raw);
}

}  // namespace

const std::array<ModifierKey, 5>& modifierKeys() {
    static const std::array<ModifierKey, 5> keys{{
        {"shift", "shift", "\u21E7", ModifierFlags::shift},
        {"function", "fn", "fn", ModifierFlags::function},
        {"control", "ctrl", "\u2303", ModifierFlags::control},
        {"option", "alt", "\u2325", ModifierFlags::option},
        {"command", "cmd", "\u2318", ModifierFlags::command},
    }};
    return keys;
}

// --- ModKeyControl

ModKeyControl::ModKeyControl() : ui::Button(ui::ButtonKind::push) {
    setCursor(ui::Cursor::pointingHand);
    makePopover();
}

ModKeyControl::~ModKeyControl() {
    if (popoverController_)
        popoverController_->setDelegate(nullptr);
    if (popover_ && popover_->isShown())
        popover_->close();
}

void ModKeyControl::makePopover() {
    setFocusRingType(ui::FocusRingType::none);
    setControlSize(ui::ControlSize::small);
    setTitle(std::string(noKeysTitle));
    setBezelStyle(ui::BezelStyle::regularSquare);

    popover_ = std::make_shared<ui::Popover>();
    popover_->setBehavior(ui::PopoverBehavior::transient);
    // A press on the control while the popover is shown does nothing.
    popover_->setClosesOnPressInAnchor(false);
    popoverController_ = ModKeyPopoverViewController::make(*this);
    popover_->setContentViewController(popoverController_);
}

ModKeyControl::SetFlagsResult ModKeyControl::setFlags(ModifierFlags proposed) {
    if (!allowEmptySelection && proposed.isEmpty())
        return Result::empty;
    const int count = bitCount(proposed.rawValue());
    if (!allowMultipleSelection && count > 1)
        return Result::multipleKeys;
    if (maxMultiSelection < count)
        return Result::maximumKeys;
    // Every constraint is asked, in order, even after one matched.
    bool inUse = false;
    for (const auto& constraint : flagsConstraints) {
        if (constraint && constraint() == proposed)
            inUse = true;
    }
    if (inUse)
        return Result::keysInUse;
    flags = proposed;
    updateTitle();
    sendAction();
    return Result::accepted;
}

void ModKeyControl::updateTitle() {
    std::string title;
    for (const ModifierKey& key : modifierKeys()) {
        if (!flags.contains(key.flags))
            continue;
        if (!title.empty())
            title += ' ';
        title += key.symbol;
    }
    // Keys outside the table alone give an empty title; no keys at all give the dash.
    setTitle(flags.isEmpty() ? std::string(noKeysTitle) : title);
}

void ModKeyControl::mouseDown(const ui::Event&) {
    if (popover_->isShown())
        return;
    // Below the control: the system's buttons are not flipped, so their minimum-Y edge is the
    // bottom one; our views are flipped, where that edge is the maximum-Y one.
    popover_->show({}, *this, ui::RectEdge::maxY);
}

void ModKeyControl::mouseUp(const ui::Event&) {
    // The press opened the popover; the button's own click does not run.
}

// --- ModKeyPopoverViewController

ModKeyPopoverViewController::~ModKeyPopoverViewController() {
    if (monitor_)
        platform::removeMonitor(monitor_);
}

std::shared_ptr<ModKeyPopoverViewController> ModKeyPopoverViewController::make(
    ModKeyControl& delegate) {
    auto controller = std::make_shared<ModKeyPopoverViewController>();
    controller->delegate_ = &delegate;

    controller->textField_ = ui::TextField::label(std::string(noKeysTitle));
    controller->textField_->setFont(ui::Font::system(10));

    std::vector<std::string> labels;
    for (const ModifierKey& key : modifierKeys())
        labels.emplace_back(key.short_);
    auto segments =
        std::make_shared<ui::SegmentedControl>(std::move(labels), ui::SegmentTracking::selectOne);
    const std::weak_ptr<ModKeyPopoverViewController> weak = controller;
    segments->setAction([weak](ui::Control&) {
        if (const auto self = weak.lock())
            self->onClick();
    });
    segments->setFocusRingType(ui::FocusRingType::none);
    segments->setTrackingMode(ui::SegmentTracking::selectAny);
    segments->setSegmentStyle(ui::SegmentStyle::texturedSquare);
    for (std::size_t i = 0; i < segments->segmentCount(); ++i)
        segments->setWidth(segmentWidth, i);
    controller->segmentedControl_ = std::move(segments);

    auto stack = std::make_shared<ui::StackView>(
        std::vector<std::shared_ptr<ui::View>>{controller->textField_,
                                               controller->segmentedControl_},
        ui::LayoutOrientation::vertical);
    stack->setAlignment(ui::StackAlignment::centerX);
    stack->setDistribution(ui::StackDistribution::fill);
    stack->setSpacing(5);
    stack->setEdgeInsets({10, 10, 10, 10});
    stack->setContentHuggingPriority(750, ui::LayoutOrientation::horizontal);
    controller->textField_->setContentHuggingPriority(750, ui::LayoutOrientation::horizontal);
    controller->stackView_ = stack;
    controller->setView(stack);
    return controller;
}

void ModKeyPopoverViewController::loadView() {
    // The view is the stack that make() builds; a controller made otherwise gets a plain one.
    if (stackView_)
        setView(stackView_);
    else
        ui::ViewController::loadView();
}

void ModKeyPopoverViewController::viewWillAppear() {
    ui::ViewController::viewWillAppear();
    syncSegments();
    if (textField_) {
        textField_->setHidden(true);
        textField_->setStringValue("");
    }
    startMonitor();
}

void ModKeyPopoverViewController::viewWillDisappear() {
    ui::ViewController::viewWillDisappear();
    if (monitor_) {
        platform::removeMonitor(monitor_);
        monitor_.reset();
    }
}

void ModKeyPopoverViewController::onClick() {
    applySelection();
}

void ModKeyPopoverViewController::syncSegments() {
    if (delegate_ == nullptr || !segmentedControl_)
        return;
    const ModifierFlags disabled =
        delegate_->disabledFlags ? delegate_->disabledFlags() : ModifierFlags();
    const auto& keys = modifierKeys();
    for (std::size_t i = 0; i < keys.size(); ++i) {
        segmentedControl_->setSelected(delegate_->flags.contains(keys[i].flags), i);
        segmentedControl_->setEnabled(!disabled.contains(keys[i].flags), i);
    }
}

std::string_view ModKeyPopoverViewController::message(ModKeyControl::SetFlagsResult result) {
    switch (result) {
        case Result::empty:
            return "Keys cannot be empty.";
        case Result::multipleKeys:
            return "Cannot contain multiple keys.";
        case Result::maximumKeys:
            return "Maximum keys reached.";
        case Result::keysInUse:
            return "Keys already in use.";
        case Result::accepted:
            break;
    }
    return "";
}

void ModKeyPopoverViewController::showMessage(ModKeyControl::SetFlagsResult result) {
    if (!textField_)
        return;
    textField_->setHidden(result == Result::accepted);
    textField_->setStringValue(std::string(message(result)));
}

void ModKeyPopoverViewController::applySelection() {
    if (delegate_ == nullptr || !segmentedControl_)
        return;
    ModifierFlags selected;
    const auto& keys = modifierKeys();
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (segmentedControl_->isSelected(i))
            selected |= keys[i].flags;
    }
    showMessage(delegate_->setFlags(selected));
}

void ModKeyPopoverViewController::startMonitor() {
    const std::weak_ptr<ModKeyPopoverViewController> weak =
        std::static_pointer_cast<ModKeyPopoverViewController>(shared_from_this());
    if (monitor_)
        platform::removeMonitor(monitor_);
    monitor_ = platform::addLocalMonitorForEvents(
        platform::eventMaskFromType(platform::NSEventType::flagsChanged),
        [weak](const platform::NSEvent& event) -> std::optional<platform::NSEvent> {
            const auto self = weak.lock();
            if (!self)
                return event;
            return self->handleFlagsChanged(event);
        });
}

platform::NSEvent ModKeyPopoverViewController::handleFlagsChanged(const platform::NSEvent& event) {
    const int held = bitCount(event.modifierFlags.rawValue());
    if (flagsDown_ < held && segmentedControl_) {
        const auto& keys = modifierKeys();
        for (std::size_t i = 0; i < keys.size(); ++i) {
            if (!segmentedControl_->isEnabled(i))
                continue;
            segmentedControl_->setSelected(
                (event.modifierFlags.rawValue() & keys[i].flags.rawValue()) != 0, i);
        }
    }
    flagsDown_ = held;
    applySelection();
    return event;
}

// --- The hints

void openAdvancedPreferences() {
    if (const auto delegate = app::appDelegate())
        delegate->preferencesController().showTab(settings::PreferencesTab::advanced);
}

ModKeyTextField::ModKeyTextField(std::string text) : ui::TextField(std::move(text)) {
    setCursor(ui::Cursor::pointingHand);
}

void ModKeyTextField::mouseEntered(const ui::Event&) {
    setUnderlineStyle(1);
}

void ModKeyTextField::mouseExited(const ui::Event&) {
    setUnderlineStyle(0);
}

void ModKeyTextField::mouseUp(const ui::Event& event) {
    openAdvancedPreferences();
    mouseExited(event);
}

ModKeyImageView::ModKeyImageView() {
    setCursor(ui::Cursor::pointingHand);
}

void ModKeyImageView::mouseUp(const ui::Event&) {
    openAdvancedPreferences();
}

}  // namespace zoral::preferences
