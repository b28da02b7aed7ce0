#include "engine/input/hotkey_engine.h"

#include <bit>
#include <utility>

#include "platform/dispatch.h"
#include "settings/defaults.h"
#include "settings/defaults_keys.h"

namespace zoral::engine {

using desktop::Direction;
using desktop::Key;
using platform::NSEventPhase;
using settings::Defaults::Keys;
using settings::Defaults::readValue;

std::set<platform::CGKeyCode> hotkeysKeyCodes(settings::HotkeysArrowLayout arrows,
                                              settings::HotkeysCenterLayout undo) {
    const ArrowKeys& keys = arrowKeys(arrows);
    std::set<platform::CGKeyCode> codes;
    for (const Key key : {keys.up, keys.down, keys.left, keys.right, undoKey(undo)})
        codes.merge(desktop::keyCodes(key));
    return codes;
}

std::set<platform::CGKeyCode> hotkeysKeyCodes() {
    return hotkeysKeyCodes(readValue(Keys::hotkeyArrow()), readValue(Keys::hotkeyUndo()));
}

HotkeysEngine::HotkeysEngine(Passkey, std::shared_ptr<Gesture> gesture,
                             std::shared_ptr<ActionResolver> resolver,
                             std::shared_ptr<const InputSettings> settings)
    : gesture_(std::move(gesture)),
      resolver_(std::move(resolver)),
      settings_(std::move(settings)),
      gestureTimeout_(settings_->sensitivity().gestureTimeout),
      cancelTimeout_(settings_->cancelTimeout()),
      gestureDispatchItem_{platform::DispatchQueue::main(), {}, {}},
      cancelDispatchItem_{platform::DispatchQueue::main(), {}, {}},
      arrowKeys_(arrowKeys(settings_->hotkeyArrow())),
      undoKey_(undoKey(settings_->hotkeyUndo())) {}

// The items cancel their work as they go.
HotkeysEngine::~HotkeysEngine() = default;

void HotkeysEngine::arm(desktop::DispatchControlItem& item, double delay,
                        void (HotkeysEngine::*body)()) {
    item.schedule(delay, [weak = weak_from_this(), body] {
        if (const auto engine = weak.lock())
            ((*engine).*body)();
    });
}

void HotkeysEngine::rescheduleCancel() {
    arm(cancelDispatchItem_, cancelTimeout_, &HotkeysEngine::onCancelTimeout);
}

void HotkeysEngine::handleKey(std::optional<Key> key, platform::CGEventFlags flags,
                              NSEventPhase phase) {
    if (phase == NSEventPhase::ended) {
        gesture_->appendPhase(Phase::released);
        return;
    }
    if (phase != NSEventPhase::changed)
        return;
    updateModifiers(flags);
    if (key) {
        const std::array<std::pair<Key, Direction>, 4> directions{{
            {arrowKeys_.up, Direction::up},
            {arrowKeys_.down, Direction::down},
            {arrowKeys_.left, Direction::left},
            {arrowKeys_.right, Direction::right},
        }};
        bool matched = false;
        for (const auto& [candidate, direction] : directions) {
            if (desktop::keyCode(candidate) != desktop::keyCode(*key))
                continue;
            gesture_->appendDirection(direction, Phase::scrolled);
            arm(gestureDispatchItem_, gestureTimeout_, &HotkeysEngine::onPause);
            matched = true;
            break;
        }
        if (!matched && *key == undoKey_) {
            gesture_->appendPhase(Phase::tapped);
        }
    }
    rescheduleCancel();
}

void HotkeysEngine::updateModifiers(platform::CGEventFlags flags) {
    const int count = std::popcount(flags.rawValue());
    if (count <= flagsDown_ && gesture_->action()) {
        flagsDown_ = count;
        return;
    }
    gesture_->setModifiers(
        settings_->modifiersFromFlags(settings::ModifierFlags(flags.rawValue())));
    if (!gesture_->isCancelled() && !gesture_->isBusy())
        (void)resolver_->resolveAction(*gesture_);
    flagsDown_ = count;
}

void HotkeysEngine::onPause() {
    gesture_->appendPhase(Phase::paused);
}

void HotkeysEngine::whenTimedOut(std::function<void(const HotkeysEngine&)> handler) {
    timedOut_ = std::move(handler);
}

void HotkeysEngine::onCancelTimeout() {
    if (gesture_->isCancelled())
        return;
    if (gesture_->isBusy()) {
        // Running its action: the time-out counts from when that is done.
        rescheduleCancel();
        return;
    }
    gesture_->cancel();
    if (timedOut_)
        timedOut_(*this);
}

}  // namespace zoral::engine
