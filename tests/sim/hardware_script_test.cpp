#include "sim/hardware_script.h"

#include <limits>
#include <string>
#include <variant>
#include <vector>

#include <gtest/gtest.h>

namespace zoral::sim {
namespace {

using platform::CGEventFlags;
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

// Every step, written with the fields that differ from their defaults, reads into the steps that
// write back as the same text; the steps made in code write and read back equal.
TEST(HardwareScript, StepsWriteAsTheyReadAndReadBackEqual) {
    const Json script = Json::parse(R"([
        {"scroll": {"moves": [{"travel": [-200.0, 0.0], "events": 10, "holdAfter": 0.1},
                              {"deltas": [[0.0, 4.0], [0.0, 6.5]], "gaps": [0.01, 0.02]},
                              {"travel": [0.0, 50.0], "gaps": [0.03]}],
                    "restBefore": 0.05, "momentum": 3, "liftAfter": 0.012}},
        {"scroll": {"momentumDeltas": [[1.0, 0.0], [0.5, 0.0]], "momentumGaps": [0.02],
                    "mouse": true}},
        {"pinch": {"magnifications": [0.02, -0.01], "restBefore": 0.1, "gaps": [0.01],
                   "liftAfter": 0.03}},
        {"pinch": {"magnifications": []}},
        {"oneFinger": {"holdFor": 0.25}},
        {"oneFinger": {}},
        {"doubleTap": {}},
        {"wheel": {"lines": -2, "horizontalLines": 3}},
        {"key": {"code": 123, "repeats": 2}},
        {"modifiers": {"flags": ["shift", "fn"], "rightHand": true}},
        {"modifiers": {"flags": 262145}},
        {"pointer": [700.0, 450.5]},
        {"pause": 0.5}
    ])");
    const auto read = hardwareStepsFromJson(script);
    ASSERT_TRUE(read.ok()) << read.error();
    EXPECT_EQ(hardwareStepsToJson(read.value()), script) << hardwareStepsToJson(read.value());
    const auto& move = std::get<ScrollStroke>(read.value()[0]).moves[1];
    EXPECT_EQ(move.deltas, (std::vector<platform::CGPoint>{{0, 4}, {0, 6.5}}));
    EXPECT_EQ(std::get<OneFingerContact>(read.value()[4]).holdFor, 0.25);

    const std::vector<HardwareStep> made{
        ScrollStroke{
            .moves = {{.travel = {3, 4}, .events = 2, .holdAfter = 0, .deltas = {}, .gaps = {0.5}}},
            .momentumEvents = 0,
            .liftAfter = 0},
        PinchStroke{.magnifications = {0.1}, .restBefore = 0, .gaps = {0, 0.2}, .liftAfter = {}},
        ModifierChange{CGEventFlags::maskCommand | CGEventFlags::maskNumericPad},
        OneFingerContact{0},
    };
    const auto back = hardwareStepsFromJson(hardwareStepsToJson(made));
    ASSERT_TRUE(back.ok()) << back.error();
    EXPECT_EQ(back.value(), made);
}

TEST(HardwareScript, BadStepsAreRefusedWithTheStepNamed) {
    const std::vector<std::pair<const char*, const char*>> cases{
        {R"({"scroll": {}})", "hardware input must be a list of steps"},
        {R"([{"swipe": {}}])", "step 1: unknown hardware step \"swipe\""},
        {R"([{"pause": 1}, {"pause": -1}])", "step 2: pause: must be a finite number"},
        {R"([{"scroll": {"moves": [{"travel": [1, 2], "events": 0}]}}])",
         "step 1: scroll.moves[0].events: must be from 1 to 1000"},
        {R"([{"scroll": {"speed": 3}}])", "step 1: scroll: unknown field \"speed\""},
        {R"([{"key": {"code": 70000}}])", "step 1: key.code: integer out of range"},
        {R"([{"modifiers": {"flags": ["hyper"]}}])",
         "step 1: modifiers.flags: unknown modifier \"hyper\""},
        {R"([{"pointer": [1]}])", "step 1: pointer: expected a point"},
        {R"([{"doubleTap": {}, "pause": 1}])", "step 1: a step is an object of one key"},
    };
    for (const auto& [text, error] : cases) {
        const auto read = hardwareStepsFromJson(Json::parse(text));
        ASSERT_FALSE(read.ok()) << text;
        EXPECT_TRUE(read.error().starts_with(error)) << read.error();
    }
}

// Every number of a step lies in a range, so that none reaches a conversion or a loop it cannot
// survive; what lies outside is refused with its place, the steps before it read.
TEST(HardwareScript, NumbersOutOfRangeAreRefusedWithTheirPlace) {
    const std::vector<std::pair<const char*, const char*>> cases{
        {R"({"scroll": {"moves": [{"travel": [1e308, 0]}]}})", "scroll.moves[0].travel: a point"},
        {R"({"scroll": {"moves": [{"travel": [0, -100001]}]}})", "scroll.moves[0].travel: a point"},
        {R"({"scroll": {"moves": [{"travel": [1, 1]}, {"travel": [1, 1], "events": 1001}]}})",
         "scroll.moves[1].events: must be from 1 to 1000"},
        {R"({"scroll": {"moves": [{"travel": [1, 1], "events": 2.5}]}})",
         "scroll.moves[0].events: expected an integer"},
        {R"({"scroll": {"moves": [{"travel": [1, 1], "events": 1e308}]}})",
         "scroll.moves[0].events: expected an integer"},
        {R"({"scroll": {"moves": [{"travel": [1, 1], "holdAfter": 1e308}]}})",
         "scroll.moves[0].holdAfter: must be a finite number of seconds from 0 to 3600"},
        {R"({"scroll": {"moves": [{"events": 3}]}})", "scroll.moves[0]: needs \"travel\""},
        {R"({"scroll": {"momentum": -1}})", "scroll.momentum: must be from 0 to 1000"},
        {R"({"scroll": {"moves": [{"deltas": [[1, 1]], "travel": [1, 1]}]}})",
         "scroll.moves[0]: gives its deltas, or its travel and events, not both"},
        {R"({"scroll": {"moves": [{"deltas": []}]}})", "scroll.moves[0].deltas: must not be empty"},
        {R"({"scroll": {"moves": [{"deltas": [[0, 100001]]}]}})",
         "scroll.moves[0].deltas[0]: a point"},
        {R"({"scroll": {"moves": [{"travel": [1, 1], "gaps": [0.1, -1]}]}})",
         "scroll.moves[0].gaps[1]: must be a finite number of seconds"},
        {R"({"scroll": {"momentum": 2, "momentumDeltas": [[1, 1]]}})",
         "scroll: gives \"momentum\" or \"momentumDeltas\", not both"},
        {R"({"scroll": {"liftAfter": 3601}})", "scroll.liftAfter: must be a finite number"},
        {R"({"pinch": {"magnifications": [0.1], "gaps": 0.1}})",
         "pinch.gaps: must be a list of at most 1000 items"},
        {R"({"oneFinger": {"holdFor": -1}})", "oneFinger.holdFor: must be a finite number"},
        {R"({"oneFinger": {"fingers": 2}})", "oneFinger: unknown field \"fingers\""},
        {R"({"scroll": {"momentum": 2147483647}})", "scroll.momentum: must be from 0 to 1000"},
        {R"({"scroll": {"restBefore": -0.1}})", "scroll.restBefore: must be a finite number"},
        {R"({"pinch": {"magnifications": [0.1, 1e308]}})",
         "pinch.magnifications[1]: a magnification lies from -100 to 100"},
        {R"({"pinch": {"magnifications": [0.1], "restBefore": 3601}})",
         "pinch.restBefore: must be a finite number"},
        {R"({"pinch": {}})", "pinch: needs \"magnifications\""},
        {R"({"wheel": {"lines": -2147483648}})", "wheel.lines: must be from -1000 to 1000"},
        {R"({"wheel": {"horizontalLines": 1001}})",
         "wheel.horizontalLines: must be from -1000 to 1000"},
        {R"({"wheel": {"lines": 1e308}})", "wheel.lines: expected an integer"},
        {R"({"key": {"code": 12, "repeats": -3}})", "key.repeats: must be from 0 to 1000"},
        {R"({"key": {"code": -1}})", "key.code: integer out of range"},
        {R"({"modifiers": {"flags": -1}})", "modifiers.flags: integer out of range"},
        {R"({"pointer": [0, 1e10]})", "pointer: a point's coordinates lie from -1e+09 to 1e+09"},
        {R"({"pause": 1e308})", "pause: must be a finite number of seconds from 0 to 3600"},
    };
    for (const auto& [text, error] : cases) {
        Json script = Json::array({Json::parse(R"({"pause": 0})"), Json::parse(text)});
        const auto read = hardwareStepsFromJson(script);
        ASSERT_FALSE(read.ok()) << text;
        EXPECT_TRUE(read.error().starts_with(std::string("step 2: ") + error)) << read.error();
    }
}

// A number that is not a number never reaches the JSON text, but a script made in code can hold
// one.
TEST(HardwareScript, NotANumberIsRefused) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<Json> cases{
        Json{{"scroll", {{"moves", Json::array({Json{{"travel", Json::array({nan, 0})}}})}}}},
        Json{{"pinch", {{"magnifications", Json::array({nan})}}}},
        Json{{"pause", nan}},
        Json{{"pointer", Json::array({0, nan})}},
    };
    for (const Json& step : cases) {
        const auto read = hardwareStepsFromJson(Json::array({step}));
        EXPECT_FALSE(read.ok()) << step.dump();
    }
}

TEST(HardwareScript, CountsAndTravelAtTheirLimitsAreRead) {
    for (const char* text : {
             R"([{"scroll": {"moves": [{"travel": [100000, -100000], "events": 1000}]}}])",
             R"([{"scroll": {"momentum": 1000}}])",
             R"([{"key": {"code": 1, "repeats": 1000}}])",
         }) {
        const auto read = hardwareStepsFromJson(Json::parse(text));
        EXPECT_TRUE(read.ok()) << text << ": " << (read.ok() ? "" : read.error());
    }
}

}  // namespace
}  // namespace zoral::sim
