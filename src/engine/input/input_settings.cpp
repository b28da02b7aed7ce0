#include "engine/input/input_settings.h"

#include "settings/defaults.h"
#include "settings/defaults_keys.h"

namespace zoral::engine {

using settings::Defaults::Keys;

std::shared_ptr<InputSettings> InputSettings::make() {
    auto made = std::make_shared<InputSettings>(Passkey{});
    made->follow(made->requireSuperMod_);
    made->follow(made->tapMagicMouse_);
    made->follow(made->tapAndHold_);
    for (auto& flags : made->modifierFlags_)
        made->follow(flags);
    made->follow(made->sensitivity_);
    made->follow(made->cancelTimeout_);
    made->follow(made->hotkeyArrow_);
    made->follow(made->hotkeyUndo_);
    return made;
}

InputSettings::InputSettings(Passkey)
    : requireSuperMod_(Keys::requireSuperMod()),
      tapMagicMouse_(Keys::tapMagicMouse()),
      tapAndHold_(Keys::tapAndHold()),
      modifierFlags_{{{settingsKey(Modifier::super)},
                      {settingsKey(Modifier::general)},
                      {settingsKey(Modifier::secondary)},
                      {settingsKey(Modifier::tertiary)},
                      {settingsKey(Modifier::screen)}}},
      sensitivity_(Keys::scrollingSensitivity()),
      cancelTimeout_(Keys::cancelTimeout()),
      hotkeyArrow_(Keys::hotkeyArrow()),
      hotkeyUndo_(Keys::hotkeyUndo()) {}

InputSettings::~InputSettings() {
    for (const Observer& observer : observers_)
        observer.suite->removeObserver(observer.token);
}

template <class Value>
void InputSettings::follow(Followed<Value>& setting) {
    const auto& suite = setting.key.suite();
    // The user defaults' own observers, not an observation of settings: a change made without
    // notifying those must still reach the events.
    const auto token =
        suite->addObserver(setting.key.name(), platform::KeyValueObservingOptions::none,
                           [weak = weak_from_this(), &setting](const platform::KeyValueChange&) {
                               if (const auto self = weak.lock())
                                   self->refresh(setting);
                           });
    observers_.push_back({suite, token});
    // After the observer is there, so that no change falls between the read and the observer.
    refresh(setting);
}

template <class Value>
void InputSettings::refresh(Followed<Value>& setting) {
    const platform::MutexLock lock(refreshMutex_);
    setting.value.store(settings::Defaults::readValue(setting.key), std::memory_order_release);
}

ModifierRoleFlags InputSettings::modifierRoleFlags() const {
    ModifierRoleFlags flags;
    for (std::size_t role = 0; role < flags.size(); ++role)
        flags[role] = modifierFlags_[role].load();
    return flags;
}

std::vector<Modifier> InputSettings::modifiersFromFlags(settings::ModifierFlags flags) const {
    return engine::modifiersFromFlags(flags, modifierRoleFlags());
}

SensitivityParameters InputSettings::sensitivity() const {
    return sensitivityParameters(sensitivity_.load());
}

double InputSettings::cancelTimeout() const {
    return static_cast<double>(cancelTimeout_.load()) / 1000;
}

}  // namespace zoral::engine
