#include "shortcuts/recorder_cocoa.h"

#include <any>
#include <string>
#include <utility>

#include "platform/alerts.h"
#include "platform/dispatch.h"
#include "platform/menus.h"
#include "platform/screens.h"
#include "shortcuts/global_shortcuts.h"
#include "shortcuts/menu_item.h"
#include "shortcuts/shortcut_display.h"
#include "shortcuts/symbolic_hot_keys.h"
#include "ui/event.h"
#include "ui/titled_window.h"

namespace zoral::shortcuts::GlobalShortcuts {

namespace {

using platform::CGEventFlags;
using platform::NSEventType;

std::string text(std::string_view key) {
    return resourceBundle().localizedString(key);
}

// The text with its one "%@" replaced by the argument.
std::string formatted(std::string format, const std::string& argument) {
    if (const auto at = format.find("%@"); at != std::string::npos)
        format.replace(at, 2, argument);
    return format;
}

constexpr std::uint64_t escapeKeyCode = 53;
constexpr std::uint64_t f12KeyCode = 111;

// The modifiers that count for a recording: the device-independent flags without Caps Lock, the
// numeric pad and the function key. The Help flag stays: a combination of Help alone passes the
// refusal of plain keys below and is stored with the mask 0, since the stored mask keeps only the
// four modifiers. That may be intended, so it is kept.
CGEventFlags recordingModifiers(CGEventFlags flags) {
    return flags & CGEventFlags::maskDeviceIndependent & ~CGEventFlags::maskAlphaShift &
           ~CGEventFlags::maskNumericPad & ~CGEventFlags::maskSecondaryFn;
}

}  // namespace

std::shared_ptr<RecorderCocoa> RecorderCocoa::make(Name name, OnChange onChange) {
    auto field = std::make_shared<RecorderCocoa>(Passkey{}, std::move(name), std::move(onChange));
    // Held weakly: the observer goes with the field.
    field->observer_ = platform::NotificationCenter::defaultCenter().addObserver(
        std::string(shortcutByNameDidChange), nullptr,
        [weak = std::weak_ptr<RecorderCocoa>(field)](const platform::Notification& notification) {
            const auto self = weak.lock();
            if (!self)
                return;
            const auto found = notification.userInfo.find(nameUserInfoKey);
            if (found == notification.userInfo.end())
                return;
            const auto* changed = std::any_cast<Name>(&found->second);
            if (changed == nullptr || changed->rawValue != self->shortcutName_.rawValue)
                return;
            self->showStoredShortcut();
        });
    return field;
}

RecorderCocoa::RecorderCocoa(Passkey, Name name, OnChange onChange)
    : onChange_(std::move(onChange)), shortcutName_(std::move(name)) {
    setPlaceholderString(text("record_shortcut"));
    setAlignment(ui::TextAlignment::center);
    setContentHuggingPriority(750, ui::LayoutOrientation::vertical);
    setContentHuggingPriority(750, ui::LayoutOrientation::horizontal);
    setMinimumWidth(minimumWidth);
    setIntrinsicWidth(minimumWidth);
    keyViewStateDidChange();
    showStoredShortcut();
}

RecorderCocoa::~RecorderCocoa() {
    platform::NotificationCenter::defaultCenter().removeObserver(observer_);
    // A field that goes while it records takes its pause with it: the global shortcuts would
    // otherwise stay silent for the rest of the process.
    if (eventMonitor_) {
        eventMonitor_.reset();
        setRecordingPause(false);
    }
}

void RecorderCocoa::setShortcutName(Name name) {
    if (name.rawValue == shortcutName_.rawValue)
        return;
    shortcutName_ = std::move(name);
    showStoredShortcut();
    if (!platform::isOperatingSystemAtLeast({12, 0, 0})) {
        platform::DispatchQueue::main().async(
            [weak = std::weak_ptr<RecorderCocoa>(
                 std::static_pointer_cast<RecorderCocoa>(shared_from_this()))] {
                if (const auto self = weak.lock())
                    self->removeFocus();
            });
    }
}

void RecorderCocoa::showStoredShortcut() {
    const auto stored = storedShortcut(shortcutName_);
    setStringValue(stored ? displayString(*stored) : std::string());
    showClearButton();
}

void RecorderCocoa::showClearButton() {
    setShowsCancelButton(!stringValue().empty());
}

void RecorderCocoa::viewDidMoveToWindow() {
    // Tab reaches the field from the next turn of the run loop on.
    platform::DispatchQueue::main().async(
        [weak = std::weak_ptr<RecorderCocoa>(
             std::static_pointer_cast<RecorderCocoa>(shared_from_this()))] {
            if (const auto self = weak.lock()) {
                self->canBecomeKey_ = true;
                self->keyViewStateDidChange();
            }
        });
}

bool RecorderCocoa::becomeFirstResponder() {
    if (!SearchField::becomeFirstResponder())
        return false;
    setPlaceholderString(text("press_shortcut"));
    showClearButton();
    setInsertionPointVisible(false);
    setRecordingPause(true);
    auto monitor = std::make_unique<LocalEventMonitor>(
        monitoredEvents,
        [weak = std::weak_ptr<RecorderCocoa>(
             std::static_pointer_cast<RecorderCocoa>(shared_from_this()))](
            const platform::NSEvent& event) { return handleMonitoredEvent(weak, event); });
    monitor->start();
    eventMonitor_ = std::move(monitor);
    return true;
}

std::optional<platform::NSEvent> RecorderCocoa::handleMonitoredEvent(
    const std::weak_ptr<RecorderCocoa>& field, const platform::NSEvent& event) {
    const auto self = field.lock();
    if (!self)
        return std::nullopt;
    return self->handle(event);
}

std::optional<platform::NSEvent> RecorderCocoa::handle(const platform::NSEvent& event) {
    if (event.type == NSEventType::leftMouseUp || event.type == NSEventType::rightMouseUp) {
        const platform::CGPoint point = convertPointFromWindow(event.locationInWindow);
        const platform::CGRect area = bounds();
        const platform::CGRect grown{area.minX() - 3, area.minY() - 3, area.width() + 6,
                                     area.height() + 6};
        if (!grown.containsPoint(point)) {
            removeFocus();
            return std::nullopt;
        }
    }
    if (event.type != NSEventType::keyDown && event.type != NSEventType::keyUp)
        return std::nullopt;

    const CGEventFlags modifiers = recordingModifiers(event.modifierFlags);
    const auto special = ui::specialKey(event);
    if (modifiers.isEmpty() && special == ui::SpecialKey::tab) {
        removeFocus();
        return event;
    }
    if (modifiers.isEmpty() && event.keyCode == escapeKeyCode) {
        removeFocus();
        return std::nullopt;
    }
    if (modifiers.isEmpty() &&
        (special == ui::SpecialKey::delete_ || special == ui::SpecialKey::deleteForward ||
         special == ui::SpecialKey::backspace)) {
        performCancelButtonClick();
        return std::nullopt;
    }
    if ((modifiers & ~CGEventFlags::maskShift).isEmpty() &&
        (!special || !ui::isFunctionKey(*special))) {
        platform::beep();
        return std::nullopt;
    }
    const auto shortcut = Shortcut::fromEvent(
        event.type, event.keyCode, settings::ModifierFlags(event.modifierFlags.rawValue()));
    if (!shortcut) {
        platform::beep();
        return std::nullopt;
    }
    if (const auto menu = platform::mainMenu()) {
        if (const auto item = findMenuItemConflict(*menu, *shortcut)) {
            removeFocus();
            runAlert(formatted(text("keyboard_shortcut_used_by_menu_item"), item->title()), "");
            restoreFocus();
            return std::nullopt;
        }
    }
    const bool checksSystem = !(shortcut->carbonKeyCode == static_cast<std::int64_t>(f12KeyCode) &&
                                shortcut->carbonModifiers == 0);
    if (checksSystem) {
        for (const Shortcut& taken : CarbonGlobalShortcuts::enabledSymbolicHotKeys()) {
            if (taken == *shortcut) {
                removeFocus();
                runAlert(text("keyboard_shortcut_used_by_system"),
                         text("keyboard_shortcuts_can_be_changed"));
                restoreFocus();
                return std::nullopt;
            }
        }
    }
    // The text first; the change notification then shows the same text again.
    setStringValue(displayString(*shortcut));
    showClearButton();
    storeShortcut(*shortcut, shortcutName_);
    if (onChange_)
        onChange_(*shortcut);
    removeFocus();
    return std::nullopt;
}

void RecorderCocoa::runAlert(const std::string& message, const std::string& informative) {
    platform::Alert alert;
    alert.messageText = message;
    alert.informativeText = informative;
    alert.alertStyle = platform::AlertStyle::warning;
    // No icon of its own: the alert shows the program's.
    alert.icon = std::nullopt;
    if (const ui::TitledWindow* shownIn = window()) {
        const platform::WindowNumber number = shownIn->windowNumber();
        alert.beginSheetModalForWindow(number, [](platform::ModalResponse response) {
            platform::stopModalWithCode(response);
        });
        platform::runModalForWindow(number);
    } else {
        alert.runModal();
    }
}

void RecorderCocoa::removeFocus() {
    if (ui::TitledWindow* shownIn = window())
        shownIn->makeFirstResponder(nullptr);
}

void RecorderCocoa::restoreFocus() {
    if (ui::TitledWindow* shownIn = window())
        shownIn->makeFirstResponder(this);
}

void RecorderCocoa::textDidChange() {
    const auto keep = shared_from_this();
    if (stringValue().empty()) {
        if (storedShortcut(shortcutName_))
            updateShortcut(std::nullopt, shortcutName_);
        if (onChange_)
            onChange_(std::nullopt);
    }
    showClearButton();
    if (stringValue().empty())
        restoreFocus();
}

void RecorderCocoa::textDidEndEditing() {
    endRecording();
}

void RecorderCocoa::endRecording() {
    eventMonitor_.reset();
    setPlaceholderString(text("record_shortcut"));
    showClearButton();
    setRecordingPause(false);
}

}  // namespace zoral::shortcuts::GlobalShortcuts
