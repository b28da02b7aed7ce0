#include "sim/hardware_script.h"

#include <string>
#include <variant>
#include <vector>

#include <gtest/gtest.h>

namespace zoral::sim {
namespace {

using platform::Json;

TEST(HardwareScript, EveryStepReadsWithItsDefaults) {
    const Json script = Json::parse(R"([
        {"scroll": {"moves": [{"travel": [-200, 0], "events": 10, "holdAfter": 0.1},
                              {"travel": [0, 50]}], "restBefore": 0.05, "momentum": 3}},
        {"scroll": {"mouse": true}},
        {"pinch": {"magnifications": [0.02, -0.01]}},
        {"doubleTap": {}},
        {"wheel": {"lines": -2}},
        {"key": {"code": 123, "repeats": 2}},
        {"modifiers": {"flags": ["fn", "shift"], "rightHand": true}},
        {"modifiers": {"flags": 262144}},
        {"pointer": [700, 450.5]},
        {"pause": 0.5}
    ])");
    const auto read = hardwareStepsFromJson(script);
    ASSERT_TRUE(read.ok()) << read.error();
    const auto& steps = read.value();
    ASSERT_EQ(steps.size(), 10U);
    const auto& scroll = std::get<ScrollStroke>(steps[0]);
    ASSERT_EQ(scroll.moves.size(), 2U);
    EXPECT_EQ(scroll.moves[0].travel, (platform::CGPoint{-200, 0}));
    EXPECT_EQ(scroll.moves[0].events, 10);
    EXPECT_DOUBLE_EQ(scroll.moves[0].holdAfter, 0.1);
    EXPECT_EQ(scroll.moves[1].events, ScrollMove{}.events);
    EXPECT_EQ(scroll.momentumEvents, 3);
    EXPECT_TRUE(std::get<ScrollStroke>(steps[1]).fromMouse);
    EXPECT_EQ(std::get<PinchStroke>(steps[2]).magnifications, (std::vector{0.02, -0.01}));
    EXPECT_DOUBLE_EQ(std::get<PinchStroke>(steps[2]).restBefore, PinchStroke{}.restBefore);
    EXPECT_TRUE(std::holds_alternative<SmartMagnifyTap>(steps[3]));
    EXPECT_EQ(std::get<WheelScroll>(steps[4]).lines, -2);
    EXPECT_EQ(std::get<KeyStroke>(steps[5]).keyCode, 123);
    EXPECT_EQ(std::get<ModifierChange>(steps[6]).flags,
              platform::CGEventFlags::maskSecondaryFn | platform::CGEventFlags::maskShift);
    EXPECT_TRUE(std::get<ModifierChange>(steps[6]).rightHand);
    EXPECT_EQ(std::get<ModifierChange>(steps[7]).flags, platform::CGEventFlags::maskControl);
    EXPECT_EQ(std::get<PointerMove>(steps[8]).location, (platform::CGPoint{700, 450.5}));
    EXPECT_DOUBLE_EQ(std::get<Pause>(steps[9]).seconds, 0.5);
}

TEST(HardwareScript, BadStepsAreRefusedWithTheStepNamed) {
    const std::vector<std::pair<const char*, const char*>> cases{
        {R"({"scroll": {}})", "hardware input must be a list of steps"},
        {R"([{"swipe": {}}])", "step 1: unknown hardware step \"swipe\""},
        {R"([{"pause": 1}, {"pause": -1}])", "step 2: pause must be a finite number"},
        {R"([{"scroll": {"moves": [{"travel": [1, 2], "events": 0}]}}])",
         "step 1: events must be at least 1"},
        {R"([{"scroll": {"speed": 3}}])", "step 1: unknown field \"speed\""},
        // Counts and distances a script may give, at most.
        {R"([{"scroll": {"moves": [{"travel": [1, 2], "events": 10001}]}}])",
         "step 1: events must be at most 10000"},
        {R"([{"pause": 0}, {"scroll": {"momentum": 10001}}])",
         "step 2: momentum must be at most 10000"},
        {R"([{"key": {"code": 1, "repeats": 1001}}])", "step 1: repeats must be at most 1000"},
        {R"([{"scroll": {"moves": [{"travel": [100001, 0]}]}}])",
         "step 1: travel must lie within 100000 points each way"},
        {R"([{"scroll": {"moves": [{"travel": [0, -1e300]}]}}])",
         "step 1: travel must lie within 100000 points each way"},
        {R"([{"key": {"code": 70000}}])", "step 1: integer out of range"},
        {R"([{"modifiers": {"flags": ["hyper"]}}])", "step 1: unknown modifier \"hyper\""},
        {R"([{"pointer": [1]}])", "step 1: expected a point"},
        {R"([{"doubleTap": {}, "pause": 1}])", "step 1: a step is an object of one key"},
    };
    for (const auto& [text, error] : cases) {
        const auto read = hardwareStepsFromJson(Json::parse(text));
        ASSERT_FALSE(read.ok()) << text;
        EXPECT_TRUE(read.error().starts_with(error)) << read.error();
    }
}

TEST(HardwareScript, CountsAndTravelAtTheirLimitsAreRead) {
    for (const char* text : {
             R"([{"scroll": {"moves": [{"travel": [100000, -100000], "events": 10000}]}}])",
             R"([{"scroll": {"momentum": 10000}}])",
             R"([{"key": {"code": 1, "repeats": 1000}}])",
         }) {
        const auto read = hardwareStepsFromJson(Json::parse(text));
        EXPECT_TRUE(read.ok()) << text << ": " << (read.ok() ? "" : read.error());
    }
}

}  // namespace
}  // namespace zoral::sim
