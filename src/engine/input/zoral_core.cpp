#include "engine/input/zoral_core.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "desktop/ax_access.h"
#include "desktop/run_after_delay.h"
#include "engine/gesture/gesture.h"
#include "engine/gesture/origin_classification.h"
#include "engine/model/modifier.h"
#include "platform/dispatch.h"
#include "platform/process_state.h"
#include "settings/defaults.h"
#include "settings/defaults_keys.h"

namespace zoral::engine {

namespace {

using desktop::Key;
using platform::CGEvent;
using platform::CGEventFlags;
using platform::NSEventPhase;
using platform::NSEventType;
using platform::NSTouchPhase;
using settings::Defaults::Keys;
using settings::Defaults::readValue;

// Written on every modifier change; main thread only.
struct ModifierKeyDown {
    bool flag = false;
};

bool& modifierKeyDownFlag() {
    return platform::processPart<ModifierKeyDown>().flag;
}

// Seconds after the last two-finger contact within which a scroll or pinch is the trackpad's.
constexpr double trackpadContactWindow = 0.2;
// A scroll cancelled by the trackpad ends the gesture this much later, unless a pinch takes over.
constexpr double cancelledScrollDelay = 0.1;
// The end of a double tap follows its start after this long.
constexpr double smartMagnifyDelay = 0.01;

constexpr std::uint64_t deviceIndependentBits = 0xFFFF0000;

// Time stamps come from a clock of whole nanoseconds: their differences are compared as such, so
// that 0.2 seconds apart is not 0.19999999999 by the rounding of seconds.
double wholeNanoseconds(double seconds) {
    return std::round(seconds * 1e9);
}

// Gestures on these origins leave their events to the system.
bool blocksEvents(OriginType type) {
    return type != OriginType::tab && type != OriginType::menubar &&
           type != OriginType::menubarFS && type != OriginType::mcSpace;
}

// The keys the keyboard sends with fn held, read as the keys they shift.
Key unshifted(Key key) {
    switch (key) {
        case Key::enter:
            return Key::return_;
        case Key::fwdDelete:
            return Key::delete_;
        case Key::home:
            return Key::arrowLeft;
        case Key::end:
            return Key::arrowRight;
        case Key::pageUp:
            return Key::arrowUp;
        case Key::pageDown:
            return Key::arrowDown;
        default:
            return key;
    }
}

bool isTouching(NSTouchPhase phase) {
    return phase == NSTouchPhase::began || phase == NSTouchPhase::moved ||
           phase == NSTouchPhase::stationary;
}

}  // namespace

ZoralCore::ZoralCore(Passkey, GestureServices services)
    : settings_(InputSettings::make()),
      touchDispatchItem_{platform::DispatchQueue::main(), [] {}, {}},
      services_(std::move(services)),
      keyCodes_(readValue(Keys::hotkeys()) ? hotkeysKeyCodes() : std::set<platform::CGKeyCode>{}),
      heldModifiers_(platform::eventSourceFlagsState()) {}

// The touch item cancels its work as it goes.
ZoralCore::~ZoralCore() = default;

bool ZoralCore::permitted() {
    return desktop::AXAccess::shared().isTrusted();
}

bool ZoralCore::modifierKeyDown() {
    return modifierKeyDownFlag();
}

void ZoralCore::createTap() {
    const auto options = readValue(Keys::activeTap()) ? platform::CGEventTapOptions::defaultTap
                                                      : platform::CGEventTapOptions::listenOnly;
    // The handler holds the core: the tap calls into it until the tap is invalidated.
    eventTap_ = Tap::make(
        options, platform::CGEventTapPlacement::headInsertEventTap, eventMask,
        [core = shared_from_this()](NSEventType, const CGEvent& event) {
            return core->handleEvent(event);
        },
        [weak = weak_from_this()] {
            if (const auto core = weak.lock())
                core->returnToIdle();
        });
}

std::optional<CGEvent> ZoralCore::closingRule(const CGEvent& event) const {
    if (gestureBlock_)
        return std::nullopt;
    return event;
}

bool ZoralCore::holdsSuperModifier(CGEventFlags flags) const {
    const auto super = settings_->superModifier().rawValue();
    return (flags.rawValue() & deviceIndependentBits & super) == super;
}

std::optional<CGEvent> ZoralCore::handleEvent(const CGEvent& event) {
    // The platform's event is the toolkit's too: the conversion cannot fail here.
    const NSEventType type = platform::toolkitType(event);
    if (std::find(handledTypes.begin(), handledTypes.end(), type) == handledTypes.end())
        return event;
    if (type != NSEventType::flagsChanged && settings_->requireSuperMod() &&
        !holdsSuperModifier(event.flags)) {
        return event;
    }
    if (!settings_->tapMagicMouse()) {
        if (type == NSEventType::gesture &&
            std::count_if(event.touches.begin(), event.touches.end(),
                          [](const auto& touch) { return isTouching(touch.phase); }) >= 2) {
            lastTrackpadEvent_ = event.timestamp;
            return event;
        }
        if ((type == NSEventType::scrollWheel || type == NSEventType::magnify ||
             type == NSEventType::smartMagnify) &&
            !(wholeNanoseconds(event.timestamp - lastTrackpadEvent_) <
              wholeNanoseconds(trackpadContactWindow))) {
            return event;  // from a mouse
        }
    }
    switch (type) {
        case NSEventType::keyDown:
            return handleKeyDown(event);
        case NSEventType::flagsChanged:
            return handleFlagsChanged(event);
        case NSEventType::scrollWheel:
            return handleScroll(event);
        case NSEventType::magnify:
            touchDispatchItem_.pendingItem.cancel();
            handleTouchEvent(event, eventsOwnPhase);
            return closingRule(event);
        case NSEventType::smartMagnify:
            handleTouchEvent(event, NSEventPhase::began);
            touchDispatchItem_.schedule(smartMagnifyDelay, [weak = weak_from_this(), event] {
                if (const auto core = weak.lock())
                    core->handleTouchEvent(event, NSEventPhase::ended);
            });
            return closingRule(event);
        default:
            return closingRule(event);
    }
}

std::optional<CGEvent> ZoralCore::handleKeyDown(const CGEvent& event) {
    const bool buttonless = event.mouseButton == platform::CGMouseButton::left;
    if (!keyCodes_.contains(event.keyCode)) {
        if (event.keyCode == platform::virtualKey::escape && buttonless && !event.autorepeat)
            cancelGestures();
        return closingRule(event);
    }
    const auto pressed = desktop::keyFromCode(event.keyCode);
    if (!buttonless || event.autorepeat || !pressed)
        return closingRule(event);
    // The modifiers held are the modifier keys', not the key event's flags: the keyboard sets the
    // function bit on the arrows and the navigation keys by themselves (Home alone would count as
    // fn held), and a key the program posts carries the flags it chose.
    const Key key = modifierKeyDownFlag() ? unshifted(*pressed) : *pressed;
    if (holdsSuperModifier(heldModifiers_))
        handleKeyEvent(key, heldModifiers_, NSEventPhase::changed);
    return closingRule(event);
}

std::optional<CGEvent> ZoralCore::handleFlagsChanged(const CGEvent& event) {
    if (touchEngine_)
        touchEngine_->updateModifiers(event);
    heldModifiers_ = event.flags;
    const std::uint64_t held = event.flags.rawValue() & deviceIndependentBits;
    modifierKeyDownFlag() = held != 0;
    const auto roles =
        settings_->modifiersFromFlags(settings::ModifierFlags(event.flags.rawValue()));
    // The hotkey gesture ends once the super modifier that started it is no longer held, whatever
    // roles remain, and with nothing held at all (a role configured with no flags matches then):
    // else the keyboard would stay swallowed.
    const bool nothingHeld = (held & ~CGEventFlags::maskAlphaShift.rawValue()) == 0;
    if (roles.empty() || nothingHeld || !holdsSuperModifier(event.flags)) {
        handleKeyEvent(std::nullopt, {}, NSEventPhase::ended);
    } else if (keyEngine_) {
        if (desktop::keyFromCode(event.keyCode))
            keyEngine_->updateModifiers(event.flags);
        keyEngine_->rescheduleCancel();
    }
    return closingRule(event);
}

std::optional<CGEvent> ZoralCore::handleScroll(const CGEvent& event) {
    if (event.phase == NSEventPhase::none && event.momentumPhase == NSEventPhase::none)
        return event;  // a wheel
    if (event.phase == NSEventPhase::ended) {
        momentumBlock_ = gestureBlock_;
    } else if (event.momentumPhase == NSEventPhase::ended ||
               event.phase == NSEventPhase::mayBegin || event.phase == NSEventPhase::began) {
        momentumBlock_ = false;
    }
    if (event.phase == NSEventPhase::cancelled) {
        touchDispatchItem_.schedule(cancelledScrollDelay, [weak = weak_from_this(), event] {
            if (const auto core = weak.lock())
                core->handleTouchEvent(event, NSEventPhase::ended);
        });
    } else {
        // The decision below uses what the earlier events left; the gesture sees this one on the
        // next turn of the main queue.
        desktop::runAfterDelay(platform::DispatchQueue::main(), 0,
                               [weak = weak_from_this(), event] {
                                   if (const auto core = weak.lock())
                                       core->handleTouchEvent(event, eventsOwnPhase);
                               });
    }
    if (momentumBlock_ && event.momentumPhase != NSEventPhase::none)
        return std::nullopt;
    return closingRule(event);
}

void ZoralCore::handleTouchEvent(const CGEvent& event, std::optional<NSEventPhase> given) {
    const NSEventPhase phase = given.value_or(event.phase);
    if (!touchEngine_ && (phase == NSEventPhase::mayBegin || phase == NSEventPhase::began)) {
        const auto origin = originAtPointer(event);
        if (!origin)
            return;
        auto gesture = Gesture::make(*origin, services_);
        if (!gesture)
            return;
        gestureBlock_ = blocksEvents(origin->type);
        touchEngine_ = MultitouchEngine::make(std::move(gesture), services_.resolver, settings_);
        touchEngine_->updateModifiers(event);
    }
    if (!touchEngine_)
        return;
    // Held here: the engine may be dropped below while its gesture still works.
    const std::shared_ptr<MultitouchEngine> engine = touchEngine_;
    engine->handleEvent(event, phase);
    gestureBlock_ = blocksEvents(engine->gesture().origin().type);
    if (phase == NSEventPhase::ended || engine->gesture().isCancelled()) {
        if (touchEngine_ == engine)
            touchEngine_.reset();
        gestureBlock_ = false;
    }
}

void ZoralCore::handleKeyEvent(std::optional<Key> key, CGEventFlags flags, NSEventPhase phase) {
    if (!keyEngine_ && phase == NSEventPhase::changed) {
        const auto origin = originForHotkey();
        if (!origin)
            return;
        auto gesture = Gesture::make(*origin, services_);
        if (!gesture)
            return;
        gestureBlock_ = blocksEvents(origin->type);
        keyEngine_ = HotkeysEngine::make(std::move(gesture), services_.resolver, settings_);
        // A gesture its cancel timer ends sends no event: the core goes idle with it there.
        keyEngine_->whenTimedOut([weak = weak_from_this()](const HotkeysEngine& ended) {
            if (const auto core = weak.lock())
                core->keyGestureEnded(ended);
        });
    }
    if (!keyEngine_)
        return;
    const std::shared_ptr<HotkeysEngine> engine = keyEngine_;
    engine->handleKey(key, flags, phase);
    gestureBlock_ = blocksEvents(engine->gesture().origin().type);
    if (phase == NSEventPhase::ended || engine->gesture().isCancelled())
        keyGestureEnded(*engine);
}

void ZoralCore::keyGestureEnded(const HotkeysEngine& engine) {
    if (keyEngine_.get() == &engine)
        keyEngine_.reset();
    gestureBlock_ = false;
}

std::optional<Origin> ZoralCore::originAtPointer(const CGEvent& event) {
    return engine::originAtPointer(event);
}

std::optional<Origin> ZoralCore::originForHotkey() {
    return engine::originForHotkey();
}

void ZoralCore::cancelGestures() {
    // Held: cancelling may run code that replaces the engines.
    if (const auto engine = touchEngine_)
        engine->gesture().cancel();
    if (const auto engine = keyEngine_)
        engine->gesture().cancel();
}

void ZoralCore::returnToIdle() {
    cancelGestures();
    touchDispatchItem_.pendingItem.cancel();
    touchEngine_.reset();
    keyEngine_.reset();
    gestureBlock_ = false;
    momentumBlock_ = false;
    // The modifier changes made while the tap was off were not seen.
    heldModifiers_ = platform::eventSourceFlagsState();
    modifierKeyDownFlag() = (heldModifiers_.rawValue() & deviceIndependentBits) != 0;
}

}  // namespace zoral::engine
