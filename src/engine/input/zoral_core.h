#pragma once

// The heart of the engine: it owns the session event tap, decides for every tapped event whether
// the engine takes it, hands trackpad events to a trackpad engine and hotkey presses and modifier
// changes to a hotkey engine, and tells the system to deliver or swallow the event. At most one
// core lives per process; its owners (the shell, the Advanced tab) replace it whenever the
// Accessibility permission or a tap-related setting changes, invalidating the old core's tap first:
// the tap's handler holds the core, so the tap calls into it until then. Main thread only.
//
// One gesture at a time on each road: idle (no engine, gestureBlock false) → a trackpad gesture (a
// mayBegin or began phase with an origin) or a hotkey gesture (a hotkey press with the super
// modifier held) → idle again on the phase ended or when the gesture is cancelled. Both engines may
// live at once and share gestureBlock, which the last handled event sets.

#include <array>
#include <memory>
#include <optional>
#include <set>

#include "desktop/dispatch_control_item.h"
#include "desktop/key.h"
#include "engine/gesture/gesture_services.h"
#include "engine/input/hotkey_engine.h"
#include "engine/input/input_settings.h"
#include "engine/input/tap.h"
#include "engine/input/trackpad_engine.h"
#include "engine/model/origin.h"
#include "platform/event_tap.h"
#include "platform/events.h"

namespace zoral::engine {

class ZoralCore : public std::enable_shared_from_this<ZoralCore> {
protected:
    struct Passkey {
        explicit Passkey() = default;
    };

public:
    // The event types the core handles, in the order it checks them.
    static constexpr std::array<platform::NSEventType, 6> handledTypes{
        platform::NSEventType::gesture,      platform::NSEventType::magnify,
        platform::NSEventType::smartMagnify, platform::NSEventType::scrollWheel,
        platform::NSEventType::flagsChanged, platform::NSEventType::keyDown,
    };
    // Key down, flags changed, scroll wheel and gesture: pinches and double taps arrive as
    // gesture events.
    static constexpr platform::CGEventMask eventMask = 0x20401400;
    static_assert(eventMask == (platform::eventMaskBit(platform::CGEventType::keyDown) |
                                platform::eventMaskBit(platform::CGEventType::flagsChanged) |
                                platform::eventMaskBit(platform::CGEventType::scrollWheel) |
                                platform::eventMaskBit(platform::gestureEventType)));

    // No core without the Accessibility permission. Otherwise the core with its tap, or without
    // one when the system refuses it ("hotkeys" decides whether the hotkey keys are listened for,
    // "activeTap" whether the tap may swallow at all). The gestures it makes get the services.
    template <class C = ZoralCore>
    static std::shared_ptr<C> make(GestureServices services) {
        if (!permitted())
            return nullptr;
        auto core = std::make_shared<C>(Passkey{}, std::move(services));
        core->createTap();
        return core;
    }

    ZoralCore(Passkey, GestureServices services);
    virtual ~ZoralCore();
    ZoralCore(const ZoralCore&) = delete;
    ZoralCore& operator=(const ZoralCore&) = delete;

    const std::shared_ptr<Tap>& eventTap() const { return eventTap_; }
    // The settings its callback and engines read, following the settings while the core lives.
    const std::shared_ptr<const InputSettings>& settings() const { return settings_; }
    const std::shared_ptr<MultitouchEngine>& touchEngine() const { return touchEngine_; }
    const std::shared_ptr<HotkeysEngine>& keyEngine() const { return keyEngine_; }
    bool gestureBlock() const { return gestureBlock_; }
    bool momentumBlock() const { return momentumBlock_; }
    double lastTrackpadEvent() const { return lastTrackpadEvent_; }
    const std::set<platform::CGKeyCode>& keyCodes() const { return keyCodes_; }

    // Whether a device-independent modifier was held at the last modifier change, process-wide.
    static bool modifierKeyDown();

    // The dispatcher: the event to deliver it, nothing to swallow it.
    std::optional<platform::CGEvent> handleEvent(const platform::CGEvent& event);
    // Starts, feeds and ends trackpad gestures at the phase given, or at the event's own phase
    // when none is given (eventsOwnPhase).
    virtual void handleTouchEvent(const platform::CGEvent& event,
                                  std::optional<platform::NSEventPhase> phase);
    static constexpr std::optional<platform::NSEventPhase> eventsOwnPhase = std::nullopt;
    // Starts, feeds and ends hotkey gestures: phase changed for a press, ended when the super
    // modifier is released.
    virtual void handleKeyEvent(std::optional<desktop::Key> key, platform::CGEventFlags flags,
                                platform::NSEventPhase phase);

protected:
    // Where a gesture starts; the classification of the element under the pointer or of the
    // focused window.
    virtual std::optional<Origin> originAtPointer(const platform::CGEvent& event);
    virtual std::optional<Origin> originForHotkey();

private:
    static bool permitted();
    void createTap();
    std::optional<platform::CGEvent> closingRule(const platform::CGEvent& event) const;
    bool holdsSuperModifier(platform::CGEventFlags flags) const;
    std::optional<platform::CGEvent> handleKeyDown(const platform::CGEvent& event);
    std::optional<platform::CGEvent> handleFlagsChanged(const platform::CGEvent& event);
    std::optional<platform::CGEvent> handleScroll(const platform::CGEvent& event);
    void cancelGestures();
    // The hotkey gesture of the engine is over: the engine goes, and the core stops swallowing.
    void keyGestureEnded(const HotkeysEngine& engine);
    // After the system disabled the tap, the events of a gesture in flight (its end among them)
    // are lost: the gestures are cancelled and the core starts from idle.
    void returnToIdle();

    std::shared_ptr<const InputSettings> settings_;
    std::shared_ptr<Tap> eventTap_;
    std::shared_ptr<MultitouchEngine> touchEngine_;
    std::shared_ptr<HotkeysEngine> keyEngine_;
    bool gestureBlock_ = false;
    bool momentumBlock_ = false;
    double lastTrackpadEvent_ = 0;
    desktop::DispatchControlItem touchDispatchItem_;
    GestureServices services_;
    std::set<platform::CGKeyCode> keyCodes_;
    // The modifier flags as the last flags change gave them: what the modifier keys hold.
    platform::CGEventFlags heldModifiers_;
};

}  // namespace zoral::engine
