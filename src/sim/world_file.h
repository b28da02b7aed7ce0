#pragma once

// Worlds as JSON files: the processes with their accessibility trees, the displays with their
// spaces, the pointer, every latency, the system's version and settings, and the permission.
// A file says the whole world: loading checks every key, type and value and the file against
// itself (what it names must exist), names the place of the first fault, and loads nothing of a
// file with a fault. Dumping writes what loading reads, so that a dumped world loads back into an
// equal one. The keys are listed in world_format.cpp; in short:
//
//   {"latency": 0.001,
//    "latencyRules": [{"pid": 42, "kind": "setAttributeValue", "name": "AXSize", "seconds": 0.5}],
//    "trusted": true,
//    "timing": {"activation": 0.05, "termination": 0.1, "hide": 0.05, "minimize": 0.25,
//               "restore": 0.25, "fullScreenEnter": 0.15, "fullScreenExit": 0.15,
//               "tabDetach": 0.2},
//    "systemVersion": [14, 0, 0],
//    "systemSettings": {"interfaceStyle": "Dark", "dockOrientation": "left",
//                       "stageManager": {"globallyEnabled": true, "autoHide": false},
//                       "symbolicHotKeys": {"79": {"enabled": true,
//                                                  "parameters": [65535, 123, 8650752]}},
//                       "statusItemVisibility": {"org.example.zoral": {"Item-0": false}}},
//    "displays": [{"number": 1, "uuid": "...", "frame": [0, 0, 1440, 900], "menuBarHeight": 25,
//                  "dock": {"edge": "bottom", "thickness": 70},
//                  "spaces": [{"id": 1}, {"id": 2, "fullScreen": true}], "currentSpace": 1}],
//    "mainDisplay": 1, "pointer": [700, 400],
//    "modifierFlags": 131072, "pressedButtons": [0], "naturalScrolling": false,
//    "eventCreationFails": false, "inputMonitoring": {"post": "granted", "listen": "denied"},
//    "keyboardLayout": "French" (or null for none),
//    "hotKeys": {"held": [{"keyCode": 49, "modifiers": 256}], "installHandlerFails": false,
//                "symbolicHotKeysUnavailable": false},
//    "cursor": {"hideCount": 1, "setsCursorInBackground": true}, "programPid": 700,
//    "processes": [{"pid": 42, "bundleIdentifier": "org.example.editor", "name": "Editor",
//                   "hung": false, "latency": 0.01, "bundleURL": "file:///...",
//                   "activationPolicy": "regular", "hidden": false, "refusesTermination": false,
//                   "enhancedUserInterface": true, "pidUnreadable": false,
//                   "windowOptions": {"layer": 0, "clickThrough": false, "allSpaces": false},
//                   "menuBar": {"menus": ["File", "Edit"], "id": "editor-menus"},
//                   "id": "editor", "attributes": {...}, "children": [<element>, ...]}],
//    "windowOrder": [35, 34],
//    "statusItems": [{"pid": 42, "title": "12:00", "width": 40, "id": "clock"}],
//    "dock": {"pid": 90, "tiles": [{"kind": "application", "title": "Editor", "url": "..."},
//                                  {"kind": "separator"}]},
//    "overview": "missionControl" (or "appExpose"),
//    "loginItems": {"serviceStatus": "enabled", "registerFailure": {"domain": "...", "code": 1,
//                   "description": "..."}, "unregisterFailure": {...},
//                   "sessionListAvailable": true, "snapshotFails": false,
//                   "sessionItems": [{"url": "file:///...", "properties": {...}, "resolves":
//                   true}]},
//    "bundles": {"file:///Applications/Editor.app/": "org.example.editor"}}
//   <element>: {"role": "AXWindow", "id": "notes", "attributes": {"AXTitle": "Notes",
//               "AXPosition": {"point": [100, 100]}, "AXSize": {"size": [400, 300]}},
//               "settable": ["AXPosition"], "actions": ["AXRaise"], "children": [...]}
//   A window (an "AXWindow" child of its application) may say more of itself:
//   "window": {"number": 34, "minimumSize": [w, h], "maximumSize": [w, h], "fixedSize": true,
//              "layer": 0, "clickThrough": false, "allSpaces": false, "space": 2,
//              "frameBeforeFullScreen": [x, y, w, h],
//              "parts": [{"titleBar": {"height": 28, "green": "fullScreen" (or "zoom"),
//                                      "closeEnabled": true, "minimizeEnabled": true,
//                                      "closeId": "c", "minimizeId": "m", "greenId": "g"}},
//                        {"toolbar": {"top": 0, "height": 52, "items": ["Back"], "id": "t"}},
//                        {"content": {"top": 52, "id": "c"}},
//                        {"popover": {"offset": [x, y, w, h], "id": "p"}},
//                        {"menu": {"offset": [x, y, w, h], "items": ["Copy"], "id": "m"}}],
//              "tabBars": [{"shape": "browser", "top": 8,
//                           "tabs": [{"title": "Start", "id": "start-tab"}]}]};
//   its position and size are its "AXPosition" and "AXSize". Window numbers are the window
//   server's, unique across applications; "windowOrder" puts the windows it lists, front-most
//   first, in front of the others of their level. Layer, click-through and every-space default to
//   the process's "windowOptions". The parts (sim/window_parts.h), placed relative to the window's
//   top-left corner, follow the window's other children in their order, and the tab bars follow
//   the parts; a tab bar lies where its shape puts it unless it gives its "top". A process's
//   menu bar follows its application's other children; the status items, of the processes of the
//   file, come after all processes, each left of those before it (sim/menu_bar.h).
//
// The system settings live in the home (sim/system_settings.h): loading writes them all, those
// the file leaves out as the system's defaults, so that nothing of an earlier world remains.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>

#include "platform/accessibility.h"
#include "platform/json.h"
#include "sim/world.h"

namespace zoral::sim {

struct LoginItemsDescription;

class WorldFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Adds the file's contents to the world; throws WorldFileError and then changes nothing.
void loadWorld(World& world, const platform::Json& file);
// Makes the world's login items what the description says, the session's list included.
void setLoginItems(World& world, const LoginItemsDescription& description);
void loadWorldFile(World& world, const std::filesystem::path& path);
platform::Json dumpWorld(World& world);

// The largest world or script file that is read.
inline constexpr std::size_t maxWorldFileSize = 64 * 1024 * 1024;

// The JSON text of a file; throws WorldFileError that names the path and what is wrong (no such
// file, a directory, a pipe or a device, larger than the limit, unreadable, not JSON). Nothing but
// a regular file is read, nothing waits for a pipe's writer, and a file over the limit is refused
// before it is read.
platform::Json readJsonFile(const std::filesystem::path& path,
                            std::size_t maxSize = maxWorldFileSize);

// The name that world files use for the element; a name is made up for elements that were not
// loaded from a file.
std::string elementName(World& world, platform::ax::Element element);
std::optional<platform::ax::Element> elementNamed(World& world, const std::string& name);

// One attribute value in the file's notation. Elements are named; an element that is gone reads
// and writes as {"element": null}. valueFromJson throws WorldFileError for a malformed value or
// an unknown name.
platform::ax::Value valueFromJson(World& world, const platform::Json& json);
platform::Json valueToJson(World& world, const platform::ax::Value& value);

}  // namespace zoral::sim
