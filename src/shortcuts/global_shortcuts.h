#pragma once

// Named global shortcuts: their stored form in the standard user defaults, the notification that
// announces every change, the handlers attached to names, and the registration of stored
// shortcuts as system hot keys (through CarbonGlobalShortcuts). Everything here is called on the
// main thread; nothing reports failure to the caller.
//
// A shortcut counts as registered from the moment the package asks for its hot key, whether or
// not the system accepts it, until the package releases it. Two names that store the same
// combination share that one registration: changing or clearing either releases it for both.

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <map>
#include <optional>
#include <span>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "shortcuts/name.h"
#include "shortcuts/resource_bundle.h"
#include "shortcuts/shortcut.h"

namespace zoral::shortcuts::GlobalShortcuts {

// Posted on the default notification centre, with no sender, after every change of a stored
// shortcut; its user info holds the Name under "name".
inline constexpr std::string_view shortcutByNameDidChange =
    "GlobalShortcuts_shortcutByNameDidChange";
inline constexpr std::string_view nameUserInfoKey = "name";

using Handler = std::function<void()>;
// Hands one value to one event stream.
using Delivery = std::function<void()>;
using StreamId = std::uint64_t;
// Handlers in the order they were attached.
using HandlerTable = std::map<Name, std::vector<Handler>>;
using ContinuationTable = std::map<Name, std::map<StreamId, Delivery>>;

// Read afresh on every call: a string holding the stored form, or none (never set, cleared, or
// anything that does not decode).
std::optional<Shortcut> storedShortcut(const Name& name);

// Releases the name's current shortcut, registers the new one unless it is registered already,
// writes it and announces the change. Nothing happens when it cannot be encoded.
void storeShortcut(const Shortcut& shortcut, const Name& name);
// A shortcut is stored as storeShortcut does; none clears the name: writes false under its key,
// releases the old shortcut and announces the change, and does nothing when nothing is stored.
void updateShortcut(const std::optional<Shortcut>& shortcut, const Name& name);
// Each name, in order, set to its default or cleared when it has none.
void restoreDefaults(std::span<const Name> names);
void restoreDefaults(std::initializer_list<Name> names);
void postShortcutChange(const Name& name);

// Appends the handler to the name's list and registers the name's stored shortcut. Handlers are
// never detached one by one.
void attachKeyDownHandler(const Name& name, Handler handler);
void attachKeyUpHandler(const Name& name, Handler handler);

// Registers the name's stored shortcut unless there is none or it is registered already.
void registerStoredShortcut(const Name& name);
// Releases the name's stored shortcut; its handlers stay attached.
void unregisterStoredShortcut(const Name& name);
// Releases the stored shortcuts of the handlers' names that no event stream's name also stores,
// then empties both handler tables. Event streams keep working.
void dropAllHandlers();

// The stored shortcuts of the names in the handler tables, and of those in the continuation
// tables; names without one contribute nothing.
std::unordered_set<Shortcut> shortcutsOfHandlerNames();
std::unordered_set<Shortcut> shortcutsOfStreamNames();

// While true, pressed and released hot keys are ignored (the recorder sets it while it records).
bool recordingPause();
void setRecordingPause(bool paused);

// The package's process-wide state, as it stands.
const std::unordered_set<Shortcut>& registeredShortcuts();
const HandlerTable& keyDownHandlers();
const HandlerTable& keyUpHandlers();
const ContinuationTable& keyDownContinuations();
const ContinuationTable& keyUpContinuations();

// The texts of the package's controls.
const ResourceBundle& resourceBundle();

}  // namespace zoral::shortcuts::GlobalShortcuts
