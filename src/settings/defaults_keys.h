#pragma once

// The base of every settings key: the name a value is stored under and the user defaults it lives
// in. Code that handles keys of any value type (reset, observation) works on this base. The
// program's own settings are reached through the static members below, each created on first use.

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <span>
#include <string>

#include "platform/user_defaults.h"
#include "settings/action_user_type.h"
#include "settings/hotkeys_arrow_layout.h"
#include "settings/hotkeys_center_layout.h"
#include "settings/modifier_flags.h"
#include "settings/multitouch_sensitivity.h"
#include "settings/preferences_tab.h"
#include "settings/snapping_center_action.h"
#include "settings/tab_app_type.h"

namespace zoral::settings {

// Executed actions counted by kind.
using ActionUserTypeCounts = std::map<ActionUserType, std::int64_t>;

namespace Defaults {

// The program's own domain as a suite. It lives as long as the process's state: weak references
// to it expire only when the state is reset.
std::shared_ptr<platform::UserDefaults> standardSuite();

template <class Value>
class Key;

class Keys {
public:
    virtual ~Keys();

    const std::string& name() const { return name_; }
    // The suite given to the key, or else the standard suite of the process's state now.
    std::shared_ptr<platform::UserDefaults> suite() const;

    // Registers the default in the suite, as constructing the key did. Tests that reset the user
    // defaults call it to stand where a freshly started process stands.
    virtual void registerDefault() const = 0;
    // Registers the default unless this key has registered it in the process's state already:
    // constructing a key does, and the program's keys do on their first use in each state, as they
    // do on their first use in a new process.
    void registerOnce() const;

    // The program's settings, in the order of its table. Each is created, and its default
    // registered, once, on its first use from any thread; none is ever destroyed.
    static const Key<bool>& showInMenubar();
    static const Key<bool>& hapticFeedback();
    static const Key<MultitouchSensitivity>& scrollingSensitivity();
    static const Key<std::int64_t>& cancelTimeout();  // milliseconds
    static const Key<bool>& tapAndHold();
    static const Key<bool>& tooltipShow();
    static const Key<bool>& tooltipLive();
    static const Key<double>& tooltipAnimationTime();  // seconds
    static const Key<bool>& tooltipHideCursor();
    static const Key<std::int64_t>& tooltipSize();
    static const Key<bool>& stageManagerMode();
    static const Key<bool>& originMissionControl();
    static const Key<bool>& originAppMenu();
    static const Key<TabAppTypeSet>& tabApps();
    static const Key<std::int64_t>& gridOffset();  // pixels; -1 for no inset
    static const Key<bool>& gridOffsetEdges();
    static const Key<SnappingCenterAction>& snappingCenterAction();
    static const Key<bool>& snappingActivateWindow();
    static const Key<bool>& snappingMoveCursor();
    static const Key<bool>& snappingDragUnsnap();
    static const Key<bool>& snappingResizeAdjacent();
    static const Key<bool>& screensMoveCursor();
    static const Key<bool>& screensChainGesture();
    static const Key<bool>& activeTap();
    static const Key<bool>& tapMagicMouse();
    static const Key<std::int64_t>& screenChangeTimeout();  // seconds
    static const Key<ModifierFlags>& superModifier();
    static const Key<ModifierFlags>& generalModifier();
    static const Key<ModifierFlags>& screenModifier();
    static const Key<ModifierFlags>& secondaryModifier();
    static const Key<ModifierFlags>& tertiaryModifier();
    static const Key<bool>& requireSuperMod();
    static const Key<bool>& hotkeys();
    static const Key<HotkeysArrowLayout>& hotkeyArrow();
    static const Key<HotkeysCenterLayout>& hotkeyUndo();
    static const Key<std::set<std::string>>& blacklist();  // bundle identifiers
    static const Key<ActionUserTypeSet>& actions();
    static const Key<std::int64_t>& buildNumber();
    static const Key<std::int64_t>& buildNumberOnboard();
    static const Key<PreferencesTab>& prefsLastTab();
    static const Key<std::int64_t>& numberOfZodiriz();
    static const Key<ActionUserTypeCounts>& numberOfActions();

    // Every one of the program's settings, in the same order; creates those not yet used.
    static std::span<const Keys* const> all();

protected:
    Keys(std::string name, std::shared_ptr<platform::UserDefaults> suite);
    Keys(const Keys&) = default;
    Keys& operator=(const Keys&) = default;

private:
    std::string name_;
    // Null for the standard suite.
    std::shared_ptr<platform::UserDefaults> suite_;
};

}  // namespace Defaults
}  // namespace zoral::settings
