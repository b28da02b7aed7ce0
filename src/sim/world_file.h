#pragma once

// Worlds as JSON files: the processes with their accessibility trees, the
// displays, the pointer, the costs and the permission. Loading checks every field and names the
// place of the first fault; dumping writes what loading reads, so a loaded world dumps back to the
// same text.
//
//   {"latency": 0.001, "trusted": true,
//    "processes": [{"pid": 42, "bundleIdentifier": "org.example.editor", "name": "Editor",
//                   "hung": false, "latency": 0.01,
//                   "attributes": {...}, "children": [<element>, ...]}],
//    "displays": [{"number": 1, "uuid": "...", "frame": [0, 0, 1440, 900],
//                  "menuBarHeight": 25, "dock": {"edge": "bottom", "thickness": 70}}],
//    "mainDisplay": 1, "pointer": [700, 400]}
//   <element>: {"role": "AXWindow", "id": "notes", "attributes": {"AXTitle": "Notes",
//               "AXPosition": {"point": [100, 100]}, "AXSize": {"size": [400, 300]}},
//               "settable": ["AXPosition"], "actions": ["AXRaise"], "children": [...]}
//   An "AXWindow" is a window of the window server and may say more of itself:
//   "window": {"number": 34, "minimumSize": [w, h], "maximumSize": [w, h], "fixedSize": true,
//              "layer": 0}; its position and size are its "AXPosition" and "AXSize".
//
// Attribute values are JSON strings, booleans and numbers (integers stay
// integers), arrays, and one-key objects for the other kinds: {"point": [x, y]},
// {"size": [w, h]}, {"rect": [x, y, w, h]}, {"range": [location, length]},
// {"url": "file:///..."}, {"element": "<id>"} and {"error": -25204}.

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>

#include "platform/json.h"
#include "sim/world.h"

namespace zoral::sim {

class WorldFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Adds the file's contents to the world; throws WorldFileError.
void loadWorld(World& world, const platform::Json& file);
void loadWorldFile(World& world, const std::filesystem::path& path);
platform::Json dumpWorld(World& world);

// The name that world files use for the element; a name is made up for
// elements that were not loaded from a file.
std::string elementName(World& world, platform::ax::Element element);
std::optional<platform::ax::Element> elementNamed(World& world, const std::string& name);

// One attribute value in the file's notation, element references included.
platform::ax::Value valueFromJson(World& world, const platform::Json& json);
platform::Json valueToJson(World& world, const platform::ax::Value& value);

}  // namespace zoral::sim
