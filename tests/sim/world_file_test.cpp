#include "sim/world_file.h"

#include <gtest/gtest.h>

#include "platform/accessibility.h"
#include "platform/workspace.h"
#include "sim/displays.h"
#include "sim/dock.h"
#include "sim/input_devices.h"
#include "support/virtual_clock.h"

namespace zoral::sim {
namespace {

namespace ax = platform::ax;
using platform::Json;

class WorldFileTest : public zoral::testing::VirtualClockTest {
protected:
    ScopedWorld world;
};

const char* const defaultWorld = ZORAL_FIXTURES_DIR "/worlds/default.json";

TEST_F(WorldFileTest, LoadsAWorldThatTheAccessibilityCallsThenServe) {
    loadWorldFile(*world, defaultWorld);
    EXPECT_EQ(world->processIds(), (std::vector<platform::ProcessId>{501, 502, Dock::defaultPid}));
    const auto displays = Displays::of(*world).displays();
    ASSERT_EQ(displays.size(), 2u);
    EXPECT_EQ(displays[1].frame, platform::CGRect(1440, -180, 1920, 1080));
    EXPECT_EQ(displays[0].visibleFrame(), platform::CGRect(0, 70, 1440, 805));
    EXPECT_EQ(InputDevices::of(*world).pointer(), (platform::CGPoint{700, 400}));
    // The Dock: five tiles of the file and one for the minimised window.
    const Dock* dock = Dock::of(*world);
    ASSERT_NE(dock, nullptr);
    EXPECT_EQ(dock->list()->children().size(), 6u);
    EXPECT_EQ(platform::bundleIdentifierOfBundleAt("file:///Applications/Browser.app/"),
              "org.example.browser");
    EXPECT_DOUBLE_EQ(*world->process(501)->latency, 0.002);

    const ax::Element editor = ax::createApplication(501);
    const auto focused = ax::copyAttributeValue(editor, "AXFocusedWindow");
    ASSERT_TRUE(focused.ok());
    const ax::Element notes = *focused.value().getIf<ax::Element>();
    EXPECT_EQ(elementName(*world, notes), "notes");
    EXPECT_EQ(*ax::copyAttributeValue(notes, "AXTitle").value().getIf<std::string>(), "Notes");
    EXPECT_TRUE(ax::isAttributeSettable(notes, "AXSize").value());
    // The editor is listed first, so it is in front: its close button is under the point.
    const auto hit = ax::copyElementAtPosition(ax::createSystemWide(), 130, 90);
    EXPECT_EQ(elementName(*world, hit.value()), "notes-close");
}

TEST_F(WorldFileTest, DumpsWhatItLoadsAndWhatChangedSince) {
    loadWorldFile(*world, defaultWorld);
    const Json first = dumpWorld(*world);

    ScopedWorld again;
    loadWorld(*again, first);
    EXPECT_EQ(dumpWorld(*again), first);

    const auto notes = ax::copyAttributeValue(ax::createApplication(501), "AXFocusedWindow");
    ASSERT_EQ(ax::setAttributeValue(*notes.value().getIf<ax::Element>(), "AXPosition",
                                    platform::CGPoint{0, 25}),
              ax::success);
    const Json changed = dumpWorld(*again);
    EXPECT_EQ(changed["processes"][0]["children"][1]["attributes"]["AXPosition"],
              Json::parse(R"({"point": [0.0, 25.0]})"));
}

TEST_F(WorldFileTest, FaultsNameTheirPlace) {
    const std::vector<std::pair<const char*, const char*>> cases = {
        {R"([])", "a world is a JSON object"},
        {R"({"latency": "fast"})", "latency: expected a number"},
        {R"({"processes": [{"name": "x"}]})", "processes[0]: needs an integer \"pid\""},
        {R"({"processes": [{"pid": -3}]})", "processes[0]: \"pid\" must be a positive process id"},
        {R"({"processes": [{"pid": 1}, {"pid": 1}]})", "processes[1]: pid 1 appears twice"},
        {R"({"processes": [{"pid": 1, "children": [{"id": "w"}]}]})",
         "processes[0].children[0]: needs a \"role\""},
        {R"({"processes": [{"pid": 1, "attributes": {"AXSize": {"size": [1]}}}]})",
         "processes[0].attributes.AXSize.size: expected an array of 2 numbers"},
        {R"({"processes": [{"pid": 1, "attributes": {"AXThing": {"colour": 1}}}]})",
         "processes[0].attributes.AXThing: unknown value kind \"colour\""},
        {R"({"processes": [{"pid": 1, "attributes": {"AXMain": {"element": "nowhere"}}}]})",
         "processes[0].attributes.AXMain: no element is named \"nowhere\""},
        {R"({"processes": [{"pid": 1, "id": "a", "children": [{"role": "AXWindow", "id": "a"}]}]})",
         "processes[0].children[0].id: the name \"a\" is taken"},
        {R"({"displays": [{"number": 1}]})", "displays[0]: needs a \"frame\""},
        {R"({"displays": [{"frame": [0, 0, 9, 9], "dock": {"edge": "top", "thickness": 4}}]})",
         "displays[0].dock.edge: expected bottom, left or right"},
        {R"({"pointer": [1]})", "pointer: expected an array of 2 numbers"},
        {R"({"timing": {"warp": 1}})", "timing.warp: unknown latency"},
        {R"({"dock": {"tiles": [{"kind": "rocket"}]}})",
         "dock.tiles[0].kind: expected application, folder, separator or trash"},
        {R"({"processes": [{"pid": 1, "activationPolicy": "always"}]})",
         "processes[0].activationPolicy: expected regular, accessory or prohibited"},
    };
    for (const auto& [text, message] : cases) {
        ScopedWorld fresh;
        try {
            loadWorld(*fresh, Json::parse(text));
            ADD_FAILURE() << "loaded: " << text;
        } catch (const WorldFileError& error) {
            EXPECT_EQ(std::string(error.what()), message) << text;
        }
    }
    EXPECT_THROW(loadWorldFile(*world, "/nonexistent/world.json"), WorldFileError);
}

TEST_F(WorldFileTest, EveryValueKindSurvivesARoundTrip) {
    const Json file = Json::parse(R"({
        "latency": 0.0, "trusted": false,
        "processes": [{"pid": 9, "bundleIdentifier": "b", "name": "n", "hung": true, "id": "app",
          "attributes": {"s": "text", "b": true, "i": 12, "d": 1.5,
                         "p": {"point": [1.0, 2.0]}, "z": {"size": [3.0, 4.0]},
                         "r": {"rect": [1.0, 2.0, 3.0, 4.0]}, "g": {"range": [5, 6]},
                         "u": {"url": "file:///tmp/x"}, "e": {"element": "app"},
                         "x": {"error": -25204}, "a": [1, "two", {"point": [0.0, 0.0]}]}}]})");
    loadWorld(*world, file);
    const Json dumped = dumpWorld(*world);
    EXPECT_EQ(dumped["processes"][0]["attributes"]["i"], Json(12));
    EXPECT_TRUE(dumped["processes"][0]["attributes"]["i"].is_number_integer());
    ScopedWorld again;
    loadWorld(*again, dumped);
    EXPECT_EQ(dumpWorld(*again), dumped);
    EXPECT_TRUE(world->process(9)->hung);
    EXPECT_FALSE(world->isTrusted());
}

}  // namespace
}  // namespace zoral::sim
