#pragma once

// The system settings that the program reads of domains other than its own, kept where the system
// keeps them, in the home (platform/home.h): the appearance ("AppleInterfaceStyle" in the global
// domain), the Dock's side ("orientation" in "com.apple.Dock"), Stage Manager ("GloballyEnabled"
// and "AutoHide" in "com.apple.WindowManager"), the symbolic hot keys file, and the status bar's
// memory of which status items are visible (in "com.apple.statusitems", a dictionary per program's
// bundle identifier from each item's autosave name to its visibility), and the pointing devices'
// settings (the four domains of the built-in and Bluetooth trackpads and mice, whose values are
// kept as the files hold them, of whatever type). They belong to the
// simulated world: a world file states them all (what it leaves out is the system's default, no
// value), loading writes them and dumping reads them back.

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/plist_object.h"
#include "sim/displays.h"
#include "sim/json_codec.h"

// The sides of the screen as the Dock's "orientation" and world files name them.
namespace zoral::sim::json_codec {
template <>
struct NameTable<DockEdge> {
    static constexpr std::array<std::pair<DockEdge, std::string_view>, 3> names{{
        {DockEdge::bottom, "bottom"},
        {DockEdge::left, "left"},
        {DockEdge::right, "right"},
    }};
};
}  // namespace zoral::sim::json_codec

namespace zoral::sim {

// The domain whose preferences file holds the symbolic hot keys.
inline constexpr std::string_view symbolicHotKeysDomain = "com.apple.symbolichotkeys";
// The domain in which the status bar remembers its items' visibility.
inline constexpr std::string_view statusItemsDomain = "com.apple.statusitems";

// The domains of the pointing devices' settings: the built-in trackpad, the Bluetooth trackpad,
// the built-in mouse and the Bluetooth mouse.
inline constexpr std::array<std::string_view, 4> inputDeviceDomains = {
    "com.apple.AppleMultitouchTrackpad",
    "com.apple.driver.AppleBluetoothMultitouch.trackpad",
    "com.apple.AppleMultitouchMouse",
    "com.apple.driver.AppleBluetoothMultitouch.mouse",
};

// By bundle identifier, then by autosave name.
using StatusItemVisibility = std::map<std::string, std::map<std::string, bool>>;

// One entry of the symbolic hot keys file: whether it is on, and its parameters as the system
// stores them (the character, the key code and the modifier flags).
struct SymbolicHotKeyEntry {
    bool enabled = false;
    std::array<std::int64_t, 3> parameters{};

    friend bool operator==(const SymbolicHotKeyEntry&, const SymbolicHotKeyEntry&) = default;
};

struct StageManagerSettings {
    std::optional<bool> globallyEnabled;
    std::optional<bool> autoHide;

    friend bool operator==(const StageManagerSettings&, const StageManagerSettings&) = default;
};

struct SystemSettings {
    // "Dark" for the dark appearance; none for the light one.
    std::optional<std::string> interfaceStyle;
    std::optional<DockEdge> dockOrientation;
    StageManagerSettings stageManager;
    // By the entry's identifier, a decimal number; none at all: no file.
    std::map<std::string, SymbolicHotKeyEntry> symbolicHotKeys;
    StatusItemVisibility statusItemVisibility;
    // By one of inputDeviceDomains, its stored values; a domain left out stores none.
    std::map<std::string, platform::PlistDictionary> inputDevices;

    friend bool operator==(const SystemSettings&, const SystemSettings&) = default;
};

// Settings that the home holds in a form that SystemSettings cannot say (a number as the Dock's
// side, a hot keys file that is no property list, ...), or a file that cannot be written.
class SystemSettingsError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The settings as the home holds them now. Throws SystemSettingsError.
SystemSettings readSystemSettings();

// What the status bar remembers of one item of a program; none when it remembers nothing (or
// something that is no visibility).
std::optional<bool> rememberedStatusItemVisibility(std::string_view bundleIdentifier,
                                                   std::string_view autosaveName);
void rememberStatusItemVisibility(std::string_view bundleIdentifier, std::string_view autosaveName,
                                  bool visible);

// Makes the home hold exactly these settings. Only what differs is written, and a change of the
// appearance is announced as the system announces it. A pointing device's domain that is none of
// inputDeviceDomains is refused, and the hot keys file is written first, so that when it cannot
// be (no home, a full disk) nothing has changed: SystemSettingsError.
void writeSystemSettings(const SystemSettings& settings);

}  // namespace zoral::sim
