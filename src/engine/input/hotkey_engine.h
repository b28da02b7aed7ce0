#pragma once

// The hotkey engine, the keyboard's counterpart of the trackpad engine: while the super modifier
// is held, the four direction keys and the undo key of the chosen layouts act like trackpad
// strokes. The core makes one per hotkey gesture, on the first hotkey press with the super modifier
// held, feeds it every further press and modifier change, and drops it when the super modifier is
// released or the gesture is cancelled (by Escape, or by the cancel time-out when no press or
// modifier change comes). Main thread only.

#include <array>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <set>

#include "desktop/dispatch_control_item.h"
#include "desktop/key.h"
#include "engine/gesture/gesture.h"
#include "engine/gesture/gesture_services.h"
#include "engine/input/input_settings.h"
#include "platform/events.h"
#include "settings/hotkeys_arrow_layout.h"
#include "settings/hotkeys_center_layout.h"

namespace zoral::engine {

struct ArrowKeys {
    desktop::Key up;
    desktop::Key down;
    desktop::Key left;
    desktop::Key right;
};

// The direction keys of each arrow layout, in the layout's declaration order.
inline constexpr std::array<ArrowKeys, 5> arrowLayoutTable{{
    {desktop::Key::arrowUp, desktop::Key::arrowDown, desktop::Key::arrowLeft,
     desktop::Key::arrowRight},
    {desktop::Key::letterW, desktop::Key::letterS, desktop::Key::letterA, desktop::Key::letterD},
    {desktop::Key::letterK, desktop::Key::letterJ, desktop::Key::letterH, desktop::Key::letterL},
    {desktop::Key::letterI, desktop::Key::letterK, desktop::Key::letterJ, desktop::Key::letterL},
    {desktop::Key::letterComma, desktop::Key::letterO, desktop::Key::letterA,
     desktop::Key::letterE},
}};

// The undo key of each centre layout, in the layout's declaration order.
inline constexpr std::array<desktop::Key, 6> centerLayoutTable{{
    desktop::Key::escape,
    desktop::Key::delete_,
    desktop::Key::return_,
    desktop::Key::letterX,
    desktop::Key::letterQ,
    desktop::Key::letterO,
}};

constexpr const ArrowKeys& arrowKeys(settings::HotkeysArrowLayout layout) {
    return arrowLayoutTable[static_cast<std::size_t>(layout)];
}

constexpr desktop::Key undoKey(settings::HotkeysCenterLayout layout) {
    return centerLayoutTable[static_cast<std::size_t>(layout)];
}

// The key codes the core's tap listens for: those of the four keys of the layout and of the undo
// key, with their twins (the fn-shifted navigation keys, enter, forward delete).
std::set<platform::CGKeyCode> hotkeysKeyCodes(settings::HotkeysArrowLayout arrows,
                                              settings::HotkeysCenterLayout undo);
// The same for the current settings "hotkeyArrow" and "hotkeyUndo".
std::set<platform::CGKeyCode> hotkeysKeyCodes();

class HotkeysEngine : public std::enable_shared_from_this<HotkeysEngine> {
protected:
    struct Passkey {
        explicit Passkey() = default;
    };

public:
    template <class E = HotkeysEngine>
    static std::shared_ptr<E> make(std::shared_ptr<Gesture> gesture,
                                   std::shared_ptr<ActionResolver> resolver,
                                   std::shared_ptr<const InputSettings> settings) {
        return std::make_shared<E>(Passkey{}, std::move(gesture), std::move(resolver),
                                   std::move(settings));
    }

    // Reads the layouts, the sensitivity's pause and the cancel time-out once.
    HotkeysEngine(Passkey, std::shared_ptr<Gesture> gesture,
                  std::shared_ptr<ActionResolver> resolver,
                  std::shared_ptr<const InputSettings> settings);
    virtual ~HotkeysEngine();
    HotkeysEngine(const HotkeysEngine&) = delete;
    HotkeysEngine& operator=(const HotkeysEngine&) = delete;

    Gesture& gesture() const { return *gesture_; }
    const std::shared_ptr<Gesture>& sharedGesture() const { return gesture_; }
    double gestureTimeout() const { return gestureTimeout_; }
    double cancelTimeout() const { return cancelTimeout_; }
    const ArrowKeys& arrows() const { return arrowKeys_; }
    desktop::Key undo() const { return undoKey_; }
    int flagsDown() const { return flagsDown_; }

    // A press (phase changed) or the release of the super modifier (phase ended).
    virtual void handleKey(std::optional<desktop::Key> key, platform::CGEventFlags flags,
                           platform::NSEventPhase phase);
    // Takes the roles of the flags unless modifiers were only released after an action was chosen;
    // then resolves the action again (unless cancelled, chaining or cmd-tabbing).
    virtual void updateModifiers(platform::CGEventFlags flags);
    // Re-arms the cancel timer; the core does so on every modifier change.
    void rescheduleCancel();
    // Called once the cancel timer has cancelled the gesture.
    void whenTimedOut(std::function<void(const HotkeysEngine&)> handler);

    void onPause();
    // Cancels the gesture, with an action or without: no press or modifier change came for the
    // cancel time-out, and a gesture left running would keep the keyboard swallowed.
    void onCancelTimeout();

private:
    void arm(desktop::DispatchControlItem& item, double delay, void (HotkeysEngine::*body)());

    std::shared_ptr<Gesture> gesture_;
    std::shared_ptr<ActionResolver> resolver_;
    std::shared_ptr<const InputSettings> settings_;
    double gestureTimeout_;
    double cancelTimeout_;
    desktop::DispatchControlItem gestureDispatchItem_;
    desktop::DispatchControlItem cancelDispatchItem_;
    int flagsDown_ = 0;
    ArrowKeys arrowKeys_;
    desktop::Key undoKey_;
    std::function<void(const HotkeysEngine&)> timedOut_;
};

}  // namespace zoral::engine
