#include "desktop/event_descriptions.h"

#include <string>

#include <gtest/gtest.h>

namespace zoral::desktop {
namespace {

using platform::CGEventFlags;
using platform::CGEventType;
using platform::NSEventPhase;
using platform::NSEventType;
using settings::ModifierFlags;

TEST(EventDescriptions, FlagSetsListTheirMembers) {
    struct Case {
        std::string actual;
        std::string expected;
    };
    const Case cases[] = {
        {description(CGEventFlags()), "CGEventFlags(0)[]"},
        {description(CGEventFlags(0x120000)), R"(CGEventFlags(1179648)["shift", "cmd"])"},
        {description(CGEventFlags(0x840100)), R"(CGEventFlags(8651008)["fn", "ctrl", "non-c"])"},
        {description(CGEventFlags(0x690000)),
         R"(CGEventFlags(6881280)["alt", "a-shift", "num", "help"])"},
        {description(ModifierFlags(0x1A0000)), R"(NSEventFlags(1703936)["cmd", "alt", "shift"])"},
        // "device" needs all sixteen of its bits.
        {description(ModifierFlags(0x810000)), R"(NSEventFlags(8454144)["caps", "fn"])"},
        {description(ModifierFlags(0xFFFF0000)),
         R"(NSEventFlags(4294901760)["caps", "cmd", "ctrl", "device", "fn", "help", "num", "alt", "shift"])"},
        {description(NSEventPhase::mayBegin), R"(NSEventPhase(32)["mayBegin"])"},
        {description(static_cast<NSEventPhase>(0x9)), R"(NSEventPhase(9)["began", "ended"])"},
        {description(NSEventPhase::none), "NSEventPhase(0)[]"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.actual, c.expected);
}

TEST(EventDescriptions, TypesByCaseNameOrUnknownNumber) {
    EXPECT_EQ(description(CGEventType::leftMouseDown), "leftMouseDown");
    EXPECT_EQ(description(CGEventType::scrollWheel), "scrollWheel");
    EXPECT_EQ(description(CGEventType::tapDisabledByTimeout), "tapDisabledByTimeout");
    EXPECT_EQ(description(static_cast<CGEventType>(30)), "@unknown(30)");
    EXPECT_EQ(description(NSEventType::magnify), "magnify");
    EXPECT_EQ(description(NSEventType::smartMagnify), "smartMagnify");
    EXPECT_EQ(description(NSEventType::gesture), "gesture");
    EXPECT_EQ(description(static_cast<NSEventType>(21)), "@unknown(21)");
}

}  // namespace
}  // namespace zoral::desktop
