#include "desktop/system_appearance.h"

#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/notification_center.h"
#include "platform/plist_object.h"
#include "platform/user_defaults.h"
#include "sim/displays.h"
#include "sim/world.h"
#include "support/captured_output.h"
#include "support/temporary_home.h"
#include "support/virtual_clock.h"

namespace zoral::desktop {
namespace {

using platform::PlistObject;
using platform::UserDefaults;

// A home of its own for each test, so that the appearance is read from files the test wrote.
class SystemAppearanceTest : public testing::VirtualClockTest {
protected:
    void TearDown() override {
        if (token_)
            platform::DistributedNotificationCenter::defaultCenter().removeObserver(token_);
    }

    // The interface style as the system keeps it, in the global domain; none removes it.
    void setInterfaceStyle(std::optional<PlistObject> style) {
        platform::PlistDictionary global;
        if (style)
            global.emplace(std::string(interfaceStyleKey), *style);
        UserDefaults::standard().setPersistentDomain(global, UserDefaults::globalDomainName);
    }

    zoral::testing::ScopedOutputCapture output_;
    zoral::testing::TemporaryHome home_;
    platform::ObserverToken token_;
};

TEST_F(SystemAppearanceTest, DarkOnlyForTheStringDark) {
    EXPECT_TRUE(systemHasDarkAppearance());
    const std::vector<std::pair<std::optional<PlistObject>, SystemAppearance>> cases = {
        {std::nullopt, SystemAppearance::light},
        {PlistObject::string("Dark"), SystemAppearance::dark},
        {PlistObject::string("Light"), SystemAppearance::light},
        {PlistObject::string("dark"), SystemAppearance::light},
        {PlistObject::string("Dark "), SystemAppearance::light},
        {PlistObject::string(""), SystemAppearance::light},
        {PlistObject::integer(1), SystemAppearance::light},
    };
    for (const auto& [style, appearance] : cases) {
        setInterfaceStyle(style);
        EXPECT_EQ(currentSystemAppearance(), appearance)
            << (style ? UserDefaults::standard().stringForKey(interfaceStyleKey).value_or("?")
                      : "none");
    }
}

TEST_F(SystemAppearanceTest, SystemsBeforeTheDarkAppearanceAlwaysLookLight) {
    sim::ScopedWorld world;
    setInterfaceStyle(PlistObject::string("Dark"));
    struct Case {
        platform::OperatingSystemVersion version;
        SystemAppearance appearance;
    };
    const Case cases[] = {
        {{10, 13, 6}, SystemAppearance::light},
        {{10, 14, 0}, SystemAppearance::dark},
        {{14, 0, 0}, SystemAppearance::dark},
    };
    for (const Case& c : cases) {
        sim::SystemVersion::of(*world).setVersion(c.version);
        EXPECT_EQ(systemHasDarkAppearance(), c.appearance == SystemAppearance::dark);
        EXPECT_EQ(currentSystemAppearance(), c.appearance) << c.version.minorVersion;
    }
}

TEST_F(SystemAppearanceTest, ThemeChangesReportTheAppearanceAtTheTimeOfTheNotification) {
    std::vector<SystemAppearance> seen;
    token_ = observeThemeChanges([&](SystemAppearance appearance) { seen.push_back(appearance); });
    auto& center = platform::DistributedNotificationCenter::defaultCenter();

    setInterfaceStyle(PlistObject::string("Dark"));
    center.post(std::string(themeChangedNotification));
    setInterfaceStyle(std::nullopt);  // changed again before the delivery runs
    EXPECT_TRUE(seen.empty());
    scheduler().runUntilIdle();
    EXPECT_EQ(seen, std::vector<SystemAppearance>{SystemAppearance::light});

    setInterfaceStyle(PlistObject::string("Dark"));
    center.post(std::string(themeChangedNotification));
    center.post("AppleColorPreferencesChangedNotification");
    scheduler().runUntilIdle();
    EXPECT_EQ(seen,
              (std::vector<SystemAppearance>{SystemAppearance::light, SystemAppearance::dark}));
}

}  // namespace
}  // namespace zoral::desktop
