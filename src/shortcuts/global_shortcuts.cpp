#include "shortcuts/global_shortcuts.h"

#include <any>
#include <string>
#include <utility>

#include "platform/notification_center.h"
#include "platform/plist_object.h"
#include "platform/user_defaults.h"
#include "shortcuts/carbon_global_shortcuts.h"
#include "shortcuts/hot_key_dispatch.h"
#include "shortcuts/shortcut_state.h"

namespace zoral::shortcuts::GlobalShortcuts {

namespace {

platform::UserDefaults& defaults() {
    return platform::UserDefaults::standard();
}

void registerShortcut(const Shortcut& shortcut) {
    CarbonGlobalShortcuts::registerHotKey(shortcut, &hotKeyPressed, &hotKeyReleased);
    detail::state().registeredShortcuts.insert(shortcut);
}

void releaseShortcut(const Shortcut& shortcut) {
    CarbonGlobalShortcuts::unregisterHotKey(shortcut);
    detail::state().registeredShortcuts.erase(shortcut);
}

template <class Table>
std::unordered_set<Shortcut> shortcutsOfNames(const Table& first, const Table& second) {
    std::unordered_set<Shortcut> shortcuts;
    for (const Table* table : {&first, &second}) {
        for (const auto& entry : *table) {
            if (auto shortcut = storedShortcut(entry.first))
                shortcuts.insert(*shortcut);
        }
    }
    return shortcuts;
}

void attachHandler(HandlerTable& table, const Name& name, Handler handler) {
    table[name].push_back(std::move(handler));
    registerStoredShortcut(name);
}

}  // namespace

std::optional<Shortcut> storedShortcut(const Name& name) {
    const std::optional<std::string> text = defaults().stringForKey(name.userDefaultsKey());
    if (!text)
        return std::nullopt;
    return Shortcut::fromJsonText(*text);
}

void storeShortcut(const Shortcut& shortcut, const Name& name) {
    const std::optional<std::string> text = shortcut.jsonText();
    if (!text)
        return;
    if (const auto current = storedShortcut(name))
        releaseShortcut(*current);
    if (!detail::state().registeredShortcuts.contains(shortcut))
        registerShortcut(shortcut);
    defaults().setObject(platform::PlistObject::string(*text), name.userDefaultsKey());
    postShortcutChange(name);
}

void updateShortcut(const std::optional<Shortcut>& shortcut, const Name& name) {
    if (shortcut) {
        storeShortcut(*shortcut, name);
        return;
    }
    const auto current = storedShortcut(name);
    if (!current)
        return;
    defaults().setBool(false, name.userDefaultsKey());
    releaseShortcut(*current);
    postShortcutChange(name);
}

void restoreDefaults(std::span<const Name> names) {
    for (const Name& name : names)
        updateShortcut(name.defaultShortcut, name);
}

void restoreDefaults(std::initializer_list<Name> names) {
    restoreDefaults(std::span<const Name>(names.begin(), names.size()));
}

void postShortcutChange(const Name& name) {
    platform::NotificationCenter::defaultCenter().post(
        std::string(shortcutByNameDidChange), nullptr, {{std::string(nameUserInfoKey), name}});
}

void attachKeyDownHandler(const Name& name, Handler handler) {
    attachHandler(detail::state().keyDownHandlers, name, std::move(handler));
}

void attachKeyUpHandler(const Name& name, Handler handler) {
    attachHandler(detail::state().keyUpHandlers, name, std::move(handler));
}

void registerStoredShortcut(const Name& name) {
    const auto shortcut = storedShortcut(name);
    if (!shortcut || detail::state().registeredShortcuts.contains(*shortcut))
        return;
    registerShortcut(*shortcut);
}

void unregisterStoredShortcut(const Name& name) {
    if (const auto shortcut = storedShortcut(name))
        releaseShortcut(*shortcut);
}

void dropAllHandlers() {
    const std::unordered_set<Shortcut> ofHandlers = shortcutsOfHandlerNames();
    const std::unordered_set<Shortcut> ofStreams = shortcutsOfStreamNames();
    for (const Shortcut& shortcut : ofHandlers) {
        if (!ofStreams.contains(shortcut))
            releaseShortcut(shortcut);
    }
    detail::state().keyDownHandlers.clear();
    detail::state().keyUpHandlers.clear();
}

std::unordered_set<Shortcut> shortcutsOfHandlerNames() {
    return shortcutsOfNames(detail::state().keyDownHandlers, detail::state().keyUpHandlers);
}

std::unordered_set<Shortcut> shortcutsOfStreamNames() {
    return shortcutsOfNames(detail::state().keyDownContinuations,
                            detail::state().keyUpContinuations);
}

bool recordingPause() {
    return detail::state().recordingPause;
}

void setRecordingPause(bool paused) {
    detail::state().recordingPause = paused;
}

const std::unordered_set<Shortcut>& registeredShortcuts() {
    return detail::state().registeredShortcuts;
}

const HandlerTable& keyDownHandlers() {
    return detail::state().keyDownHandlers;
}

const HandlerTable& keyUpHandlers() {
    return detail::state().keyUpHandlers;
}

const ContinuationTable& keyDownContinuations() {
    return detail::state().keyDownContinuations;
}

const ContinuationTable& keyUpContinuations() {
    return detail::state().keyUpContinuations;
}

const ResourceBundle& resourceBundle() {
    static const ResourceBundle bundle;
    return bundle;
}

}  // namespace zoral::shortcuts::GlobalShortcuts
