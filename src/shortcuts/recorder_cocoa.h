#pragma once

// The control with which a user records the global shortcut of one name: a search field showing
// the name's stored shortcut, with the clear button to remove it. Taking the focus starts a
// recording: global hot keys pause, the application's key downs and mouse ups go to the control
// first, keys that cannot serve as a global shortcut are refused with the beep, a combination
// that an item of the main menu or an enabled system shortcut uses already is refused with an
// alert, and any other is stored under the name (registered and announced). The recording ends
// when the focus leaves: a click outside, Tab, Escape, a recorded shortcut.
//
// The control follows every change of its name's stored shortcut, wherever it is made. Made with
// make. Main thread only.

#include <functional>
#include <memory>
#include <optional>

#include "platform/local_events.h"
#include "platform/notification_center.h"
#include "shortcuts/local_event_monitor.h"
#include "shortcuts/name.h"
#include "shortcuts/shortcut.h"
#include "ui/search_field.h"

namespace zoral::shortcuts::GlobalShortcuts {

class RecorderCocoa : public ui::SearchField {
    struct Passkey {};

public:
    // Told each recorded shortcut, and none for each clearing.
    using OnChange = std::function<void(const std::optional<Shortcut>&)>;

    // The width the control asks for and never goes below.
    static constexpr double minimumWidth = 130;
    // Left and right mouse ups and key downs.
    static constexpr platform::NSEventMask monitoredEvents = 1044;

    // The only way to make one: for a name, with an optional callback.
    static std::shared_ptr<RecorderCocoa> make(Name name, OnChange onChange = {});
    RecorderCocoa(Passkey, Name name, OnChange onChange);
    ~RecorderCocoa() override;

    const Name& shortcutName() const { return shortcutName_; }
    // A name of another text shows that name's stored shortcut at once; an equal name changes
    // nothing.
    void setShortcutName(Name name);
    // The stored shortcut's display string, or empty when none is stored.
    void showStoredShortcut();

    bool isRecording() const { return eventMonitor_ != nullptr; }

protected:
    bool becomeFirstResponder() override;
    void textDidChange() override;
    void textDidEndEditing() override;
    bool canBecomeKeyView() const override { return canBecomeKey_; }
    void viewDidMoveToWindow() override;

private:
    // What the recording does with an event of the application: the event to pass it on, or
    // none to swallow it.
    static std::optional<platform::NSEvent> handleMonitoredEvent(
        const std::weak_ptr<RecorderCocoa>& field, const platform::NSEvent& event);
    std::optional<platform::NSEvent> handle(const platform::NSEvent& event);
    void showClearButton();
    // The focus leaves the field, which ends the recording; or comes back, which starts one.
    void removeFocus();
    void restoreFocus();
    // Shows the alert and returns once the user has answered it.
    void runAlert(const std::string& message, const std::string& informative);
    void endRecording();

    std::unique_ptr<LocalEventMonitor> eventMonitor_;
    OnChange onChange_;
    platform::ObserverToken observer_;
    bool canBecomeKey_ = false;
    Name shortcutName_;
};

}  // namespace zoral::shortcuts::GlobalShortcuts
