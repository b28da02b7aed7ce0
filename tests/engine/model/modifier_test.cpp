#include "engine/model/modifier.h"

#include <cstddef>
#include <optional>
#include <vector>

#include <gtest/gtest.h>

#include "settings/defaults.h"
#include "settings/defaults_keys.h"
#include "support/temporary_home.h"

namespace zoral::engine {
namespace {

using settings::ModifierFlags;
using settings::Defaults::Keys;
using Roles = std::vector<Modifier>;

constexpr ModifierFlags fn = ModifierFlags::function;
constexpr ModifierFlags control = ModifierFlags::control;
constexpr ModifierFlags shift = ModifierFlags::shift;
constexpr ModifierFlags option = ModifierFlags::option;
constexpr ModifierFlags command = ModifierFlags::command;
constexpr ModifierFlags capsLock = ModifierFlags::capsLock;

class ModifierTest : public ::testing::Test {
protected:
    ModifierTest() {
        for (const auto* key : Keys::all())
            key->registerDefault();
    }

    zoral::testing::TemporaryHome home;
};

TEST_F(ModifierTest, RolesAreNamedAndBoundToTheirSettings) {
    EXPECT_EQ(platform::rawValue(Modifier::super), "super");
    EXPECT_EQ(platform::fromRawValue<Modifier>("tertiary"), Modifier::tertiary);
    EXPECT_EQ(platform::fromRawValue<Modifier>("Super"), std::nullopt);
    EXPECT_EQ(settingsKey(Modifier::screen).name(), "screenModifier");
    EXPECT_EQ(settingsKey(Modifier::super).name(), "superModifier");

    const ModifierFlagsByRole defaults{{Modifier::general, control},
                                       {Modifier::secondary, shift},
                                       {Modifier::tertiary, shift | option},
                                       {Modifier::screen, command}};
    EXPECT_EQ(configuredModifierFlags(), defaults);
    // Read anew on every call.
    settings::Defaults::writeValue(Keys::screenModifier(), option);
    EXPECT_EQ(configuredModifierFlags().at(Modifier::screen), option);
}

TEST_F(ModifierTest, FromFlagsWithTheDefaultRoles) {
    struct Case {
        const char* what;
        ModifierFlags flags;
        Roles expected;
    };
    const Case cases[] = {
        {"nothing held", {}, {}},
        {"fn", fn, {Modifier::super}},
        {"fn and control", fn | control, {Modifier::super, Modifier::general}},
        {"control", control, {Modifier::general}},
        {"shift", shift, {Modifier::secondary}},
        {"shift and option", shift | option, {Modifier::tertiary}},
        {"command", command, {Modifier::screen}},
        {"fn and shift and option", fn | shift | option, {Modifier::super, Modifier::tertiary}},
        {"control and shift match no role", fn | control | shift, {Modifier::super}},
        {"option alone matches no role", option, {}},
        {"caps lock changes nothing",
         fn | control | capsLock,
         {Modifier::super, Modifier::general}},
        {"caps lock alone", capsLock, {}},
        {"device-dependent bits are ignored", ModifierFlags(0x0102) | control, {Modifier::general}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(modifiersFromFlags(c.flags), c.expected) << c.what;
}

TEST_F(ModifierTest, AnyBitOfTheSuperRoleCountsAsSuper) {
    settings::Defaults::writeValue(Keys::superModifier(), control | option);
    EXPECT_EQ(modifiersFromFlags(control), Roles{Modifier::super});
    EXPECT_EQ(modifiersFromFlags(option | shift), (Roles{Modifier::super, Modifier::secondary}));
    EXPECT_EQ(modifiersFromFlags(fn), Roles{});
}

TEST_F(ModifierTest, ARoleWithNoFlagsMatchesWhenNothingElseIsLeft) {
    settings::Defaults::writeValue(Keys::secondaryModifier(), ModifierFlags());
    EXPECT_EQ(modifiersFromFlags({}), Roles{Modifier::secondary});
    EXPECT_EQ(modifiersFromFlags(fn), (Roles{Modifier::super, Modifier::secondary}));
    EXPECT_EQ(modifiersFromFlags(control), Roles{Modifier::general});
}

// The form the event tap uses, with the roles it keeps: the settings play no part, and on a tie the
// first role in declaration order wins, as with the settings' roles.
TEST_F(ModifierTest, WithTheRolesGivenTheSettingsPlayNoPart) {
    settings::Defaults::writeValue(Keys::superModifier(), command);
    settings::Defaults::writeValue(Keys::generalModifier(), option);
    ModifierRoleFlags roles{};
    roles[static_cast<std::size_t>(Modifier::super)] = control;
    roles[static_cast<std::size_t>(Modifier::secondary)] = shift;
    roles[static_cast<std::size_t>(Modifier::tertiary)] = shift;
    roles[static_cast<std::size_t>(Modifier::screen)] = option | shift;
    EXPECT_EQ(modifiersFromFlags(control | shift, roles),
              (Roles{Modifier::super, Modifier::secondary}));
    EXPECT_EQ(modifiersFromFlags(option | shift, roles), Roles{Modifier::screen});
    // Nothing left matches the role bound to no flags.
    EXPECT_EQ(modifiersFromFlags(control, roles), (Roles{Modifier::super, Modifier::general}));
    EXPECT_EQ(modifiersFromFlags(command | option, roles), Roles{});
    EXPECT_EQ(modifiersFromFlags(command, currentModifierRoleFlags()), Roles{Modifier::super});
}

TEST(ModifierMatching, MatchesExactlyAndPrefersTheFirstRoleOnATie) {
    const ModifierFlagsByRole configured{{Modifier::general, control},
                                         {Modifier::screen, control},
                                         {Modifier::tertiary, shift | option}};
    EXPECT_EQ(matchingModifier(configured, control), Modifier::general);
    EXPECT_EQ(matchingModifier(configured, shift | option), Modifier::tertiary);
    EXPECT_EQ(matchingModifier(configured, shift), std::nullopt);
    EXPECT_EQ(matchingModifier(configured, shift | option | control), std::nullopt);
}

}  // namespace
}  // namespace zoral::engine
