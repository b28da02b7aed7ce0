#include "shortcuts/shortcut.h"

#include "platform/json.h"
#include "shortcuts/global_shortcuts.h"
#include "shortcuts/modifier_conversion.h"
#include "shortcuts/name.h"
#include "shortcuts/shortcut_display.h"

namespace zoral::shortcuts::GlobalShortcuts {

namespace {

constexpr const char* keyCodeMember = "carbonKeyCode";
constexpr const char* modifiersMember = "carbonModifiers";

}  // namespace

Shortcut Shortcut::withCarbonValues(std::int64_t keyCode, std::int64_t carbonModifiers) {
    return {keyCode, carbonModifierMask(cocoaModifierFlags(carbonModifiers))};
}

Shortcut Shortcut::withKey(Key key, settings::ModifierFlags flags) {
    return {key.rawValue, carbonModifierMask(flags)};
}

std::optional<Shortcut> Shortcut::fromEvent(platform::NSEventType type, platform::CGKeyCode keyCode,
                                            settings::ModifierFlags modifierFlags) {
    if (type != platform::NSEventType::keyDown && type != platform::NSEventType::keyUp)
        return std::nullopt;
    return Shortcut{keyCode, carbonModifierMask(modifierFlags)};
}

std::optional<Shortcut> Shortcut::forName(const Name& name) {
    return storedShortcut(name);
}

settings::ModifierFlags Shortcut::modifiers() const {
    return cocoaModifierFlags(carbonModifiers);
}

std::string Shortcut::description() const {
    return displayString(*this);
}

std::optional<std::string> Shortcut::jsonText() const {
    platform::Json json = platform::Json::object();
    json[keyCodeMember] = carbonKeyCode;
    json[modifiersMember] = carbonModifiers;
    return platform::encodeJson(json).optional();
}

std::optional<Shortcut> Shortcut::fromJsonText(std::string_view text) {
    const auto decoded = platform::decodeJson(text);
    if (!decoded.ok() || !decoded.value().is_object())
        return std::nullopt;
    const platform::Json& object = decoded.value();
    if (!object.contains(keyCodeMember) || !object.contains(modifiersMember))
        return std::nullopt;
    const auto keyCode = platform::jsonValueAs<std::int64_t>(object[keyCodeMember]);
    const auto modifiers = platform::jsonValueAs<std::int64_t>(object[modifiersMember]);
    if (!keyCode.ok() || !modifiers.ok())
        return std::nullopt;
    return Shortcut{keyCode.value(), modifiers.value()};
}

std::ostream& operator<<(std::ostream& stream, const Shortcut& shortcut) {
    return stream << "Shortcut(" << shortcut.carbonKeyCode << ", 0x" << std::hex
                  << shortcut.carbonModifiers << std::dec << ")";
}

}  // namespace zoral::shortcuts::GlobalShortcuts
