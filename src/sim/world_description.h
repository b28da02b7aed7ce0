#pragma once

// A simulated world as plain data: what a world file says, before it is checked against itself and
// built, and what a dump captures of a world before it is written. Two descriptions are equal when
// they describe the same world. The keys of the file are in world_format.cpp; a new part of a
// world is a member here and an entry in that table.

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "platform/accessibility.h"
#include "platform/geometry.h"
#include "platform/screens.h"
#include "platform/workspace.h"
#include "sim/displays.h"
#include "sim/dock.h"
#include "sim/system_settings.h"
#include "sim/timing.h"

namespace zoral::sim {

// An element as a value refers to it: by its name in the file, or none for an element that is
// gone (closed, or of a process that quit), which answers every call as invalid.
struct ElementReference {
    std::optional<std::string> name;

    friend bool operator==(const ElementReference&, const ElementReference&) = default;
};

// One attribute value, as the accessibility interface passes it, with elements by name.
struct AttributeValue {
    using Array = std::vector<AttributeValue>;
    std::variant<std::string, bool, std::int64_t, double, platform::ax::Url, platform::CGPoint,
                 platform::CGSize, platform::CGRect, platform::ax::Range, ElementReference,
                 platform::ax::ErrorValue, Array>
        value;

    friend bool operator==(const AttributeValue&, const AttributeValue&) = default;
};

// Between attribute values and the interface's values, elements turned into names and back by
// the caller.
platform::ax::Value toValue(
    const AttributeValue& value,
    const std::function<platform::ax::Element(const ElementReference&)>& elementOf);
AttributeValue toAttributeValue(
    const platform::ax::Value& value,
    const std::function<ElementReference(platform::ax::Element)>& referenceTo);

struct ElementDescription;

// What every element has: its name in the file, stored attributes, which of them are settable,
// its actions (none: those of its kind, as a button's "AXPress") and its children.
struct ElementContents {
    std::optional<std::string> id;
    std::map<std::string, AttributeValue> attributes;
    std::vector<std::string> settable;
    std::optional<std::vector<std::string>> actions;
    std::vector<ElementDescription> children;

    friend bool operator==(const ElementContents&, const ElementContents&) = default;
};

// What the window server knows of a window beyond its attributes.
struct WindowDescription {
    // Handed out when none is given.
    std::optional<std::int64_t> number;
    std::optional<platform::CGSize> minimumSize;
    std::optional<platform::CGSize> maximumSize;
    bool fixedSize = false;
    std::int64_t layer = 0;
    std::optional<std::int64_t> space;

    friend bool operator==(const WindowDescription&, const WindowDescription&) = default;
};

struct ElementDescription {
    std::string role;
    ElementContents contents;
    // Only for windows.
    std::optional<WindowDescription> window;

    friend bool operator==(const ElementDescription&, const ElementDescription&) = default;
};

struct ProcessDescription {
    std::int64_t pid = 0;
    std::string bundleIdentifier;
    std::string name;
    bool hung = false;
    std::optional<double> latency;
    std::optional<std::string> bundleURL;
    platform::ActivationPolicy activationPolicy = platform::ActivationPolicy::regular;
    bool hidden = false;
    bool refusesTermination = false;
    std::optional<bool> enhancedUserInterface;
    // The application element.
    ElementContents application;

    friend bool operator==(const ProcessDescription&, const ProcessDescription&) = default;
};

enum class DockTileKind { application, folder, separator, trash };

struct DockTileDescription {
    DockTileKind kind = DockTileKind::application;
    // For applications and folders.
    std::optional<std::string> title;
    std::optional<std::string> url;

    friend bool operator==(const DockTileDescription&, const DockTileDescription&) = default;
};

struct DockDescription {
    std::int64_t pid = Dock::defaultPid;
    // The tiles of minimised windows follow from the windows.
    std::vector<DockTileDescription> tiles;

    friend bool operator==(const DockDescription&, const DockDescription&) = default;
};

struct SpaceDescription {
    std::int64_t id = 0;
    bool fullScreen = false;

    friend bool operator==(const SpaceDescription&, const SpaceDescription&) = default;
};

struct DisplayDescription {
    std::optional<std::int64_t> number;
    std::string uuid;
    platform::CGRect frame;
    double menuBarHeight = 0;
    std::optional<DockInset> dock;
    // Spaces need the display's UUID, by which the window server names the display.
    std::vector<SpaceDescription> spaces;
    // The first space when none is given.
    std::optional<std::int64_t> currentSpace;

    friend bool operator==(const DisplayDescription&, const DisplayDescription&) = default;
};

// Every latency of the world, in virtual seconds.
struct TimingDescription {
    double activation = Timing{}.activation;
    double termination = Timing{}.termination;
    double fullScreenExit = Timing{}.fullScreenExit;
    double tabDetach = 0.2;

    friend bool operator==(const TimingDescription&, const TimingDescription&) = default;
};

struct WorldDescription {
    // Of every accessibility round trip, unless a process has its own.
    double latency = 0;
    bool trusted = true;
    TimingDescription timing;
    platform::OperatingSystemVersion systemVersion{14, 0, 0};
    SystemSettings systemSettings;
    std::vector<DisplayDescription> displays;
    std::optional<std::int64_t> mainDisplay;
    platform::CGPoint pointer;
    // Front-most first.
    std::vector<ProcessDescription> processes;
    std::optional<DockDescription> dock;
    // Bundles on disk, running or not: URL to bundle identifier.
    std::map<std::string, std::string> bundles;

    friend bool operator==(const WorldDescription&, const WorldDescription&) = default;
};

}  // namespace zoral::sim
