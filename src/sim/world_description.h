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
#include "platform/iohid.h"
#include "platform/plist_object.h"
#include "platform/screens.h"
#include "platform/service_management.h"
#include "platform/workspace.h"
#include "sim/displays.h"
#include "sim/dock.h"
#include "sim/system_settings.h"
#include "sim/tabs.h"
#include "sim/timing.h"
#include "sim/window_parts.h"
#include "sim/world.h"

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

// One tab of a tab bar: its title, and the name of its element.
struct TabDescription {
    std::string title;
    std::optional<std::string> id;

    friend bool operator==(const TabDescription&, const TabDescription&) = default;
};

// A tab bar of a window, in the tree of its kind of application (sim/tabs.h). Its elements follow
// from the shape and the tabs; only the tabs have names.
struct TabBarDescription {
    TabTreeShape shape = TabTreeShape::native;
    // Below the window's top edge; none: where the shape puts it.
    std::optional<double> top;
    std::vector<TabDescription> tabs;

    friend bool operator==(const TabBarDescription&, const TabBarDescription&) = default;
};

// The parts of a window that follow it (sim/window_parts.h), each with the names of its elements:
// the title bar's three buttons, or the part itself.
struct TitleBarDescription {
    TitleBarStyle style;
    std::optional<std::string> closeId;
    std::optional<std::string> minimizeId;
    std::optional<std::string> greenId;

    friend bool operator==(const TitleBarDescription&, const TitleBarDescription&) = default;
};

template <class Place>
struct NamedPart {
    Place place;
    std::optional<std::string> id;

    friend bool operator==(const NamedPart&, const NamedPart&) = default;
};

// One part, of one kind.
struct WindowPartDescription {
    std::optional<TitleBarDescription> titleBar;
    std::optional<NamedPart<ToolbarPlace>> toolbar;
    std::optional<NamedPart<ContentPlace>> content;
    std::optional<NamedPart<PopoverPlace>> popover;
    std::optional<NamedPart<OpenMenuPlace>> menu;

    friend bool operator==(const WindowPartDescription&, const WindowPartDescription&) = default;
};

// What the window server knows of a window beyond its attributes.
struct WindowDescription {
    // Handed out when none is given; unique in the world.
    std::optional<std::int64_t> number;
    std::optional<platform::CGSize> minimumSize;
    std::optional<platform::CGSize> maximumSize;
    bool fixedSize = false;
    // None: as the process's window options say.
    std::optional<std::int64_t> layer;
    std::optional<bool> clickThrough;
    std::optional<bool> allSpaces;
    std::optional<std::int64_t> space;
    // The frame a full-screen window goes back to when it leaves full screen.
    std::optional<platform::CGRect> frameBeforeFullScreen;
    // After the window's other children, in order, and before its tab bars.
    std::vector<WindowPartDescription> parts;
    // After the window's other children.
    std::vector<TabBarDescription> tabBars;

    friend bool operator==(const WindowDescription&, const WindowDescription&) = default;
};

struct ElementDescription {
    std::string role;
    ElementContents contents;
    // Only for windows.
    std::optional<WindowDescription> window;

    friend bool operator==(const ElementDescription&, const ElementDescription&) = default;
};

// How the window server shows a process's windows unless a window says otherwise.
struct WindowOptionsDescription {
    std::int64_t layer = 0;
    bool clickThrough = false;
    bool allSpaces = false;

    friend bool operator==(const WindowOptionsDescription&,
                           const WindowOptionsDescription&) = default;
};

// The menu bar of an application (sim/menu_bar.h): the menus after the system's and the
// application's own.
struct MenuBarDescription {
    std::vector<std::string> menus;
    std::optional<std::string> id;

    friend bool operator==(const MenuBarDescription&, const MenuBarDescription&) = default;
};

// A status item of a process, at the right end of the menu bar, left of those before it.
struct StatusItemDescription {
    std::int64_t pid = 0;
    std::string title;
    // None: as wide as its title.
    std::optional<double> width;
    std::optional<std::string> id;

    friend bool operator==(const StatusItemDescription&, const StatusItemDescription&) = default;
};

struct ProcessDescription {
    std::int64_t pid = 0;
    std::string bundleIdentifier;
    std::string name;
    bool hung = false;
    // The accessibility interface cannot tell the process of its elements.
    bool pidUnreadable = false;
    std::optional<double> latency;
    std::optional<std::string> bundleURL;
    platform::ActivationPolicy activationPolicy = platform::ActivationPolicy::regular;
    bool hidden = false;
    bool refusesTermination = false;
    std::optional<bool> enhancedUserInterface;
    WindowOptionsDescription windowOptions;
    // After the application's other children.
    std::optional<MenuBarDescription> menuBar;
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
    double hide = Timing{}.hide;
    double minimize = Timing{}.minimize;
    double restore = Timing{}.restore;
    double fullScreenEnter = Timing{}.fullScreenEnter;
    double fullScreenExit = Timing{}.fullScreenExit;
    double tabDetach = Tabs::defaultDetachLatency;

    friend bool operator==(const TimingDescription&, const TimingDescription&) = default;
};

// One rule of the world's latency function (LatencyRule in sim/world.h).
struct LatencyRuleDescription {
    std::optional<std::int64_t> pid;
    std::optional<RoundTrip> kind;
    std::optional<std::string> name;
    double seconds = 0;

    friend bool operator==(const LatencyRuleDescription&, const LatencyRuleDescription&) = default;
};

// What the Mission Control of the Dock shows, when it shows.
enum class OverviewKind { missionControl, appExpose };

// The keyboard layout the user types with; none leaves the system without one that types ASCII.
struct KeyboardLayoutChoice {
    std::optional<std::string> identifier = "US";

    friend bool operator==(const KeyboardLayoutChoice&, const KeyboardLayoutChoice&) = default;
};

// A key combination another program holds: a virtual key code and the event manager's modifiers.
struct HeldHotKeyDescription {
    std::int64_t keyCode = 0;
    std::int64_t modifiers = 0;

    friend bool operator==(const HeldHotKeyDescription&, const HeldHotKeyDescription&) = default;
};

struct HotKeysDescription {
    std::vector<HeldHotKeyDescription> held;
    bool installHandlerFails = false;
    bool symbolicHotKeysUnavailable = false;

    friend bool operator==(const HotKeysDescription&, const HotKeysDescription&) = default;
};

// An error the system reports.
struct ErrorDescription {
    std::string domain;
    std::int64_t code = 0;
    std::string description;

    friend bool operator==(const ErrorDescription&, const ErrorDescription&) = default;
};

// An entry of the session's login-items list. Its identifier is handed out as it is loaded: nothing
// that outlives the world refers to it.
struct SessionLoginItemDescription {
    std::string url;
    platform::PlistDictionary properties;
    bool resolves = true;

    friend bool operator==(const SessionLoginItemDescription&,
                           const SessionLoginItemDescription&) = default;
};

struct LoginItemsDescription {
    platform::SMAppServiceStatus serviceStatus = platform::SMAppServiceStatus::notRegistered;
    std::optional<ErrorDescription> registerFailure;
    std::optional<ErrorDescription> unregisterFailure;
    bool sessionListAvailable = true;
    bool snapshotFails = false;
    std::vector<SessionLoginItemDescription> sessionItems;

    friend bool operator==(const LoginItemsDescription&, const LoginItemsDescription&) = default;
};

struct InputMonitoringDescription {
    platform::iohid::AccessType post = platform::iohid::AccessType::granted;
    platform::iohid::AccessType listen = platform::iohid::AccessType::granted;

    friend bool operator==(const InputMonitoringDescription&,
                           const InputMonitoringDescription&) = default;
};

struct CursorDescription {
    std::int64_t hideCount = 0;
    bool setsCursorInBackground = false;

    friend bool operator==(const CursorDescription&, const CursorDescription&) = default;
};

struct WorldDescription {
    // Of every accessibility round trip, unless a process or a rule has its own.
    double latency = 0;
    std::vector<LatencyRuleDescription> latencyRules;
    bool trusted = true;
    TimingDescription timing;
    platform::OperatingSystemVersion systemVersion{14, 0, 0};
    SystemSettings systemSettings;
    std::vector<DisplayDescription> displays;
    std::optional<std::int64_t> mainDisplay;
    platform::CGPoint pointer;
    // The event flags of the modifier keys held, and the mouse buttons pressed (by number).
    std::int64_t modifierFlags = 0;
    std::vector<std::int64_t> pressedButtons;
    bool naturalScrolling = true;
    bool eventCreationFails = false;
    InputMonitoringDescription inputMonitoring;
    KeyboardLayoutChoice keyboardLayout;
    HotKeysDescription hotKeys;
    CursorDescription cursor;
    std::int64_t programPid = World::defaultProgramPid;
    // Front-most first.
    std::vector<ProcessDescription> processes;
    // The windows by number, front-most first, across applications; windows left out keep the
    // order of their processes and of their elements.
    std::vector<std::int64_t> windowOrder;
    // In the order added, after the processes.
    std::vector<StatusItemDescription> statusItems;
    std::optional<DockDescription> dock;
    std::optional<OverviewKind> overview;
    LoginItemsDescription loginItems;
    // Bundles on disk, running or not: URL to bundle identifier.
    std::map<std::string, std::string> bundles;
    // Where the program's own bundle lies (an absolute path); none: beside its executable.
    std::optional<std::string> programBundle;

    friend bool operator==(const WorldDescription&, const WorldDescription&) = default;
};

}  // namespace zoral::sim
