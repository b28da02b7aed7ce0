#pragma once

// The settings that the event tap's callback and the input engines read for every event, kept
// decoded. A read through the settings store takes the defaults' lock, looks the key up along the
// search list and decodes the stored form (a JSON text for each modifier role); here it is one
// atomic load. Each value follows its setting: an observer of the user defaults reads the setting
// again whenever its effective value changes, on the writing thread before the write returns, so
// that the next event sees a change made anywhere (a preferences tab, a script, another thread)
// as a direct read would. The values the engines take when they are made come from here as well,
// read at their making.
//
// Safe from any thread: a write may land on another thread while the main thread reads. The
// observers live as long as the object, and the core makes one with its tap: a reset of the user
// defaults, which forgets every observer, never finds one that would go on with values it no
// longer follows.

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/input/sensitivity.h"
#include "engine/model/modifier.h"
#include "platform/key_value_observing.h"
#include "platform/thread_safety.h"
#include "platform/user_defaults.h"
#include "settings/defaults_key.h"
#include "settings/hotkeys_arrow_layout.h"
#include "settings/hotkeys_center_layout.h"
#include "settings/modifier_flags.h"
#include "settings/multitouch_sensitivity.h"

namespace zoral::engine {

class InputSettings : public std::enable_shared_from_this<InputSettings> {
    struct Passkey {
        explicit Passkey() = default;
    };

public:
    // Reads every setting and follows it from now on.
    static std::shared_ptr<InputSettings> make();

    explicit InputSettings(Passkey);
    ~InputSettings();
    InputSettings(const InputSettings&) = delete;
    InputSettings& operator=(const InputSettings&) = delete;

    bool requireSuperMod() const { return requireSuperMod_.load(); }
    bool tapMagicMouse() const { return tapMagicMouse_.load(); }
    bool tapAndHold() const { return tapAndHold_.load(); }
    settings::ModifierFlags superModifier() const {
        return modifierFlags_[static_cast<std::size_t>(Modifier::super)].load();
    }
    ModifierRoleFlags modifierRoleFlags() const;
    // The roles the flags hold, with the roles bound as they are now.
    std::vector<Modifier> modifiersFromFlags(settings::ModifierFlags flags) const;
    SensitivityParameters sensitivity() const;
    double cancelTimeout() const;  // seconds
    settings::HotkeysArrowLayout hotkeyArrow() const { return hotkeyArrow_.load(); }
    settings::HotkeysCenterLayout hotkeyUndo() const { return hotkeyUndo_.load(); }

private:
    template <class Value>
    struct Followed {
        Followed(const settings::Defaults::Key<Value>& followedKey) : key(followedKey) {}

        Value load() const { return value.load(std::memory_order_acquire); }

        const settings::Defaults::Key<Value>& key;
        std::atomic<Value> value{};
        static_assert(std::atomic<Value>::is_always_lock_free);
    };

    struct Observer {
        std::shared_ptr<platform::UserDefaults> suite;
        platform::KeyValueObserverToken token;
    };

    template <class Value>
    void follow(Followed<Value>& setting);
    template <class Value>
    void refresh(Followed<Value>& setting);

    // Refreshes one at a time: each reads the store after the write that called it, so the last
    // one to store a value stores the latest, whatever order the observers of two writes on two
    // threads run in.
    platform::Mutex refreshMutex_;
    // Made before any value is stored, removed in the destructor.
    std::vector<Observer> observers_;

    Followed<bool> requireSuperMod_;
    Followed<bool> tapMagicMouse_;
    Followed<bool> tapAndHold_;
    // Indexed by the role.
    std::array<Followed<settings::ModifierFlags>, 5> modifierFlags_;
    Followed<settings::MultitouchSensitivity> sensitivity_;
    Followed<std::int64_t> cancelTimeout_;  // milliseconds
    Followed<settings::HotkeysArrowLayout> hotkeyArrow_;
    Followed<settings::HotkeysCenterLayout> hotkeyUndo_;
};

}  // namespace zoral::engine
