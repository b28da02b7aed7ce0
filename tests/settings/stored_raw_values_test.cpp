#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "platform/enum_table.h"
#include "printers.h"
#include "settings/action_user_type.h"
#include "settings/defaults_storage.h"
#include "settings/hotkeys_arrow_layout.h"
#include "settings/hotkeys_center_layout.h"
#include "settings/multitouch_sensitivity.h"
#include "settings/preferences_tab.h"
#include "settings/snapping_center_action.h"
#include "settings/tab_app_type.h"

namespace zoral::settings {
namespace {

using platform::allCases;
using platform::fromRawValue;
using platform::rawValue;

// The raw values are what users' settings files hold: they must never drift.
template <platform::RawValuedEnum E>
void expectRawValues(const std::vector<platform::EnumRawValue<E>>& expected) {
    SCOPED_TRACE(std::string(platform::EnumTable<E>::typeName));
    const auto cases = allCases<E>();
    ASSERT_EQ(cases.size(), expected.size());
    for (std::size_t index = 0; index < cases.size(); ++index) {
        EXPECT_EQ(rawValue(cases[index]), expected[index]);
        EXPECT_EQ(fromRawValue<E>(expected[index]), cases[index]);
    }
}

TEST(RawValues, EveryCaseHasItsRawValueInDeclarationOrder) {
    expectRawValues<ActionUserType>({"windowQuit",
                                     "windowClose",
                                     "windowMinimize",
                                     "windowFullscreen",
                                     "windowHide",
                                     "tabClose",
                                     "tabDetach",
                                     "screensMove",
                                     "screensFullscreen",
                                     "spacesMove",
                                     "snapCenter",
                                     "snapMax",
                                     "snapHalves",
                                     "snapVertical",
                                     "snapQuarters",
                                     "snapAlmost",
                                     "snapThirds",
                                     "snapSixths",
                                     "snapNinths",
                                     "appQuit",
                                     "appMinimize",
                                     "appUnminimize",
                                     "appHide",
                                     "appNewTab",
                                     "appCycle",
                                     "appChain",
                                     "menubarUnsnap",
                                     "menubarMinimize",
                                     "menubarUnminimize",
                                     "menubarScreens",
                                     "menubarAppSwitcher",
                                     "menubarScrollToTop",
                                     "missionControlSpace"});
    expectRawValues<TabAppType>({"native", "safari", "chrome", "edge", "arc", "xcode", "vscode"});
    expectRawValues<MultitouchSensitivity>({1, 2, 3, 4});
    expectRawValues<SnappingCenterAction>({"centerUnsnap", "center", "unsnap"});
    expectRawValues<HotkeysArrowLayout>({"arrows", "wasd", "hjkl", "ijkl", "dvorak"});
    expectRawValues<HotkeysCenterLayout>(
        {"escape", "backspace", "return", "letterX", "letterQ", "letterO"});
    expectRawValues<PreferencesTab>({0, 1, 2, 3, 4, 5, 6});
}

TEST(RawValues, RawValuesThatNameNoCaseGiveNoValue) {
    EXPECT_EQ(fromRawValue<ActionUserType>("SnapMax"), std::nullopt);
    EXPECT_EQ(fromRawValue<ActionUserType>(""), std::nullopt);
    EXPECT_EQ(fromRawValue<SnappingCenterAction>("centre"), std::nullopt);
    EXPECT_EQ(fromRawValue<HotkeysCenterLayout>("return_"), std::nullopt);
    EXPECT_EQ(fromRawValue<MultitouchSensitivity>(0), std::nullopt);
    EXPECT_EQ(fromRawValue<MultitouchSensitivity>(5), std::nullopt);
    EXPECT_EQ(fromRawValue<PreferencesTab>(-1), std::nullopt);
    EXPECT_EQ(fromRawValue<PreferencesTab>(7), std::nullopt);
}

}  // namespace
}  // namespace zoral::settings
