// The program's table of settings: each key's name, value type and default, in table order.

#include <array>
#include <cstdint>
#include <set>
#include <string>

#include "settings/defaults_key.h"
#include "settings/defaults_keys.h"

namespace zoral::settings::Defaults {

// One accessor per setting, named as the setting is stored. The key is built on the first call
// from any thread (one thread builds it, the others wait) and is never destroyed, so that nothing
// running during the process's exit finds it gone. Its default is registered on its first use in
// each state of the process.
#define ZORAL_SETTING(Type, keyName, ...)                                    \
    const Key<Type>& Keys::keyName() {                                       \
        static const auto* const key = new Key<Type>(#keyName, __VA_ARGS__); \
        key->registerOnce();                                                 \
        return *key;                                                         \
    }

ZORAL_SETTING(bool, showInMenubar, true)
ZORAL_SETTING(bool, hapticFeedback, true)
ZORAL_SETTING(MultitouchSensitivity, scrollingSensitivity, MultitouchSensitivity::high)
ZORAL_SETTING(std::int64_t, cancelTimeout, 800)
ZORAL_SETTING(bool, tapAndHold, true)
ZORAL_SETTING(bool, tooltipShow, true)
ZORAL_SETTING(bool, tooltipLive, true)
ZORAL_SETTING(double, tooltipAnimationTime, 0.05)
ZORAL_SETTING(bool, tooltipHideCursor, true)
ZORAL_SETTING(std::int64_t, tooltipSize, 5)
ZORAL_SETTING(bool, stageManagerMode, false)
ZORAL_SETTING(bool, originMissionControl, true)
ZORAL_SETTING(bool, originAppMenu, false)
ZORAL_SETTING(TabAppTypeSet, tabApps,
              TabAppTypeSet{TabAppType::native, TabAppType::safari, TabAppType::chrome,
                            TabAppType::xcode, TabAppType::arc, TabAppType::vscode})
ZORAL_SETTING(std::int64_t, gridOffset, 0)
ZORAL_SETTING(bool, gridOffsetEdges, true)
ZORAL_SETTING(SnappingCenterAction, snappingCenterAction, SnappingCenterAction::centerUnsnap)
ZORAL_SETTING(bool, snappingActivateWindow, false)
ZORAL_SETTING(bool, snappingMoveCursor, false)
ZORAL_SETTING(bool, snappingDragUnsnap, true)
ZORAL_SETTING(bool, snappingResizeAdjacent, true)
ZORAL_SETTING(bool, screensMoveCursor, true)
ZORAL_SETTING(bool, screensChainGesture, true)
ZORAL_SETTING(bool, activeTap, true)
ZORAL_SETTING(bool, tapMagicMouse, true)
ZORAL_SETTING(std::int64_t, screenChangeTimeout, 4)
ZORAL_SETTING(ModifierFlags, superModifier, ModifierFlags::function)
ZORAL_SETTING(ModifierFlags, generalModifier, ModifierFlags::control)
ZORAL_SETTING(ModifierFlags, screenModifier, ModifierFlags::command)
ZORAL_SETTING(ModifierFlags, secondaryModifier, ModifierFlags::shift)
ZORAL_SETTING(ModifierFlags, tertiaryModifier, ModifierFlags::shift | ModifierFlags::option)
ZORAL_SETTING(bool, requireSuperMod, false)
ZORAL_SETTING(bool, hotkeys, false)
ZORAL_SETTING(HotkeysArrowLayout, hotkeyArrow, HotkeysArrowLayout::arrows)
ZORAL_SETTING(HotkeysCenterLayout, hotkeyUndo, HotkeysCenterLayout::escape)
ZORAL_SETTING(std::set<std::string>, blacklist, std::set<std::string>{})
ZORAL_SETTING(ActionUserTypeSet, actions,
              ActionUserTypeSet{ActionUserType::windowQuit,     ActionUserType::windowClose,
                                ActionUserType::windowMinimize, ActionUserType::windowFullscreen,
                                ActionUserType::tabClose,       ActionUserType::screensMove,
                                ActionUserType::spacesMove,     ActionUserType::snapMax,
                                ActionUserType::snapHalves,     ActionUserType::snapVertical,
                                ActionUserType::snapQuarters,   ActionUserType::snapThirds,
                                ActionUserType::snapSixths,     ActionUserType::snapNinths,
                                ActionUserType::snapCenter,     ActionUserType::snapAlmost,
                                ActionUserType::appQuit,        ActionUserType::appMinimize,
                                ActionUserType::appUnminimize,  ActionUserType::appCycle})
ZORAL_SETTING(std::int64_t, buildNumber, 0)
ZORAL_SETTING(std::int64_t, buildNumberOnboard, 0)
ZORAL_SETTING(PreferencesTab, prefsLastTab, PreferencesTab::general)
ZORAL_SETTING(std::int64_t, numberOfZodiriz, 0)
ZORAL_SETTING(ActionUserTypeCounts, numberOfActions, ActionUserTypeCounts{})

#undef ZORAL_SETTING

std::span<const Keys* const> Keys::all() {
    static const std::array<const Keys*, 42> keys{
        &showInMenubar(),
        &hapticFeedback(),
        &scrollingSensitivity(),
        &cancelTimeout(),
        &tapAndHold(),
        &tooltipShow(),
        &tooltipLive(),
        &tooltipAnimationTime(),
        &tooltipHideCursor(),
        &tooltipSize(),
        &stageManagerMode(),
        &originMissionControl(),
        &originAppMenu(),
        &tabApps(),
        &gridOffset(),
        &gridOffsetEdges(),
        &snappingCenterAction(),
        &snappingActivateWindow(),
        &snappingMoveCursor(),
        &snappingDragUnsnap(),
        &snappingResizeAdjacent(),
        &screensMoveCursor(),
        &screensChainGesture(),
        &activeTap(),
        &tapMagicMouse(),
        &screenChangeTimeout(),
        &superModifier(),
        &generalModifier(),
        &screenModifier(),
        &secondaryModifier(),
        &tertiaryModifier(),
        &requireSuperMod(),
        &hotkeys(),
        &hotkeyArrow(),
        &hotkeyUndo(),
        &blacklist(),
        &actions(),
        &buildNumber(),
        &buildNumberOnboard(),
        &prefsLastTab(),
        &numberOfZodiriz(),
        &numberOfActions(),
    };
    return keys;
}

}  // namespace zoral::settings::Defaults
