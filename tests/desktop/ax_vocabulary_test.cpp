#include "desktop/ax_vocabulary.h"

#include <cctype>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

namespace zoral::desktop {
namespace {

using platform::allCases;
using platform::caseName;
using platform::EnumTable;
using platform::fromRawValue;
using platform::rawValue;

// Raw values that do not follow "AX" + the case name with a capital first letter.
const std::set<std::string_view> exceptionNames = {
    "uiElementDestroyed",       "switchSubrole", "minimizedDockItem",
    "notificationBanner",       "url",           "fullscreen",
    "rtfForRangeParameterized", "closeTab",
};

std::string ruleRawValue(std::string_view name) {
    std::string raw = "AX" + std::string(name);
    raw[2] = static_cast<char>(std::toupper(static_cast<unsigned char>(raw[2])));
    return raw;
}

template <class E>
class StringVocabulary : public ::testing::Test {};

using StringEnums = ::testing::Types<AXNotification, Role, Subrole, Attribute, AXAction>;
TYPED_TEST_SUITE(StringVocabulary, StringEnums);

TYPED_TEST(StringVocabulary, RawValuesFollowTheRuleExceptWhereListed) {
    for (const auto& row : EnumTable<TypeParam>::cases) {
        if (exceptionNames.contains(row.name))
            continue;
        EXPECT_EQ(row.rawValue, ruleRawValue(row.name));
    }
}

TYPED_TEST(StringVocabulary, EveryRawValueLooksUpItsOwnCaseAndNamesAreUnique) {
    std::set<std::string_view> names;
    for (const TypeParam value : allCases<TypeParam>()) {
        EXPECT_EQ(fromRawValue<TypeParam>(rawValue(value)), value) << caseName(value);
        EXPECT_TRUE(names.insert(caseName(value)).second) << caseName(value);
    }
}

TEST(AXVocabulary, CaseCounts) {
    EXPECT_EQ(allCases<AXNotification>().size(), 33u);
    EXPECT_EQ(allCases<Role>().size(), 57u);
    EXPECT_EQ(allCases<Subrole>().size(), 37u);
    EXPECT_EQ(allCases<Attribute>().size(), 159u);
    EXPECT_EQ(allCases<AXAction>().size(), 12u);
    EXPECT_EQ(allCases<Orientation>().size(), 3u);
}

TEST(AXVocabulary, ExceptionsAndSampleRawValues) {
    const std::vector<std::pair<std::string_view, std::string_view>> cases = {
        // The exceptions.
        {rawValue(AXNotification::uiElementDestroyed), "AXUIElementDestroyed"},
        {rawValue(Subrole::switchSubrole), "AXSwitch"},
        {rawValue(Subrole::minimizedDockItem), "AXMinimizedWindowDockItem"},
        {rawValue(Subrole::notificationBanner), "AXNotificationCenterBanner"},
        {rawValue(Attribute::url), "AXURL"},
        {rawValue(Attribute::rtfForRangeParameterized), "AXRTFForRangeParameterized"},
        {rawValue(Attribute::fullscreen), "AXFullScreen"},
        {rawValue(AXAction::delete_), "AXDelete"},
        // A sample by the rule, first and last cases included.
        {rawValue(AXNotification::mainWindowChanged), "AXMainWindowChanged"},
        {rawValue(AXNotification::windowMoved), "AXWindowMoved"},
        {rawValue(AXNotification::announcementRequested), "AXAnnouncementRequested"},
        {rawValue(Role::unknown), "AXUnknown"},
        {rawValue(Role::application), "AXApplication"},
        {rawValue(Role::window), "AXWindow"},
        {rawValue(Role::dockItem), "AXDockItem"},
        {rawValue(Role::webArea), "AXWebArea"},
        {rawValue(Subrole::closeButton), "AXCloseButton"},
        {rawValue(Subrole::standardWindow), "AXStandardWindow"},
        {rawValue(Subrole::applicationDockItem), "AXApplicationDockItem"},
        {rawValue(Attribute::role), "AXRole"},
        {rawValue(Attribute::enhancedUserInterface), "AXEnhancedUserInterface"},
        {rawValue(Attribute::focusedUIElement), "AXFocusedUIElement"},
        {rawValue(Attribute::childrenInNavigationOrder), "AXChildrenInNavigationOrder"},
        {rawValue(AXAction::press), "AXPress"},
        {rawValue(AXAction::showDefaultUI), "AXShowDefaultUI"},
    };
    for (const auto& [actual, expected] : cases)
        EXPECT_EQ(actual, expected);
}

TEST(AXVocabulary, CloseTabIsThreeLinesOfFortyOneCharacters) {
    const std::string_view raw = rawValue(AXAction::closeTab);
    EXPECT_EQ(raw, "Name:close tab\nTarget:0x0\nSelector:(null)");
    EXPECT_EQ(raw.size(), 41u);
    EXPECT_EQ(fromRawValue<AXAction>(raw), AXAction::closeTab);
}

TEST(AXVocabulary, LookupsMatchExactlyOrGiveNothing) {
    EXPECT_EQ(fromRawValue<Role>("AXWindow"), Role::window);
    EXPECT_EQ(fromRawValue<Subrole>("AXMinimizedWindowDockItem"), Subrole::minimizedDockItem);
    EXPECT_EQ(fromRawValue<Attribute>("AXFullScreen"), Attribute::fullscreen);
    for (std::string_view unknown :
         {"", "AX", "window", "AXwindow", "axWindow", "AXWindow ", "AXFullscreen",
          "AXSwitchSubrole", "AXMinimizedDockItem", "AXUiElementDestroyed", "AXDelete_"}) {
        EXPECT_FALSE(fromRawValue<Role>(unknown)) << unknown;
        EXPECT_FALSE(fromRawValue<Subrole>(unknown)) << unknown;
        EXPECT_FALSE(fromRawValue<Attribute>(unknown)) << unknown;
        EXPECT_FALSE(fromRawValue<AXNotification>(unknown)) << unknown;
        EXPECT_FALSE(fromRawValue<AXAction>(unknown)) << unknown;
    }
}

TEST(AXVocabulary, OrientationHasIntegerRawValues) {
    EXPECT_EQ(rawValue(Orientation::unknown), 0);
    EXPECT_EQ(rawValue(Orientation::vertical), 1);
    EXPECT_EQ(rawValue(Orientation::horizontal), 2);
    EXPECT_EQ(fromRawValue<Orientation>(2), Orientation::horizontal);
    EXPECT_FALSE(fromRawValue<Orientation>(3));
    EXPECT_FALSE(fromRawValue<Orientation>(-1));
}

TEST(AXVocabulary, KeywordCasesKeepTheirNames) {
    EXPECT_EQ(caseName(AXAction::delete_), "delete");
    EXPECT_EQ(caseName(Subrole::switchSubrole), "switchSubrole");
}

}  // namespace
}  // namespace zoral::desktop
