#include "sim/world_file.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/accessibility.h"
#include "platform/bundle.h"
#include "platform/home.h"
#include "platform/user_defaults.h"
#include "platform/workspace.h"
#include "sim/cursor.h"
#include "sim/displays.h"
#include "sim/dock.h"
#include "sim/hands.h"
#include "sim/hot_keys.h"
#include "sim/input_devices.h"
#include "sim/keyboard_layout.h"
#include "sim/login_items.h"
#include "sim/menu_bar.h"
#include "sim/spaces.h"
#include "sim/tabs.h"
#include "sim/window_node.h"
#include "sim/window_parts.h"
#include "sim/window_server.h"
#include "sim/world_description.h"
#include "sim/world_format.h"
#include "support/captured_output.h"
#include "support/temporary_home.h"
#include "support/virtual_clock.h"

namespace zoral::sim {
namespace {

namespace ax = platform::ax;
namespace fs = std::filesystem;
using platform::Json;

class WorldFileTest : public zoral::testing::VirtualClockTest {
protected:
    // Every file under the home, so that a test can see that a refused file wrote nothing.
    std::vector<fs::path> homeFiles() const {
        std::vector<fs::path> files;
        if (fs::exists(home.path())) {
            for (const auto& entry : fs::recursive_directory_iterator(home.path()))
                files.push_back(entry.path());
        }
        return files;
    }

    // The refusal's text, or a failure when the file loads.
    std::string refusal(const Json& file) {
        ScopedWorld fresh;
        try {
            loadWorld(*fresh, file);
        } catch (const WorldFileError& error) {
            EXPECT_TRUE(fresh->processIds().empty()) << file.dump();
            EXPECT_TRUE(Displays::of(*fresh).displays().empty()) << file.dump();
            return error.what();
        }
        ADD_FAILURE() << "loaded: " << file.dump();
        return {};
    }

    zoral::testing::ScopedOutputCapture output;
    zoral::testing::TemporaryHome home;
    ScopedWorld world;
};

// The value of the kind, from an answer that must hold one.
template <class T>
T answer(const ax::Result<ax::Value>& result) {
    const T* value = result.ok() ? result.value().getIf<T>() : nullptr;
    if (value == nullptr)
        throw std::runtime_error("no value of the expected kind");
    return *value;
}

template <class T>
T itemOf(const ax::Value& value) {
    const T* item = value.getIf<T>();
    if (item == nullptr)
        throw std::runtime_error("no value of the expected kind");
    return *item;
}

const char* const defaultWorld = ZORAL_FIXTURES_DIR "/worlds/default.json";
const char* const everyKeyWorld = ZORAL_FIXTURES_DIR "/worlds/every-key.json";

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
    const auto notes = answer<ax::Element>(ax::copyAttributeValue(editor, "AXFocusedWindow"));
    EXPECT_EQ(elementName(*world, notes), "notes");
    EXPECT_EQ(answer<std::string>(ax::copyAttributeValue(notes, "AXTitle")), "Notes");
    EXPECT_TRUE(ax::isAttributeSettable(notes, "AXSize").value());
    // The editor is listed first, so it is in front: its close button is under the point.
    const auto hit = ax::copyElementAtPosition(ax::createSystemWide(), 130, 90);
    EXPECT_EQ(elementName(*world, hit.value()), "notes-close");
}

// The fixture holds every key with a value other than its default, in the order and notation of
// a dump: so what loads is what dumps, key for key.
TEST_F(WorldFileTest, EveryKeyDumpsAsItWasLoadedAndLoadsBackEqual) {
    const Json file = readJsonFile(everyKeyWorld);
    loadWorld(*world, file);
    const Json dumped = dumpWorld(*world);
    EXPECT_EQ(dumped, file) << dumped.dump(2);

    ScopedWorld again;
    loadWorld(*again, dumped);
    EXPECT_EQ(dumpWorld(*again), dumped);

    // And the world is what the file says, as the program reads it.
    EXPECT_EQ(platform::UserDefaults::standard().stringForKey("AppleInterfaceStyle"), "Dark");
    EXPECT_EQ(platform::UserDefaults::suite("com.apple.Dock")->stringForKey("orientation"), "left");
    EXPECT_TRUE(
        platform::UserDefaults::suite("com.apple.WindowManager")->boolForKey("GloballyEnabled"));
    EXPECT_TRUE(fs::exists(home.preferences() / "com.apple.symbolichotkeys.plist"));
    // The devices' values keep the types the file gives them, as a user's files can hold them.
    const auto trackpad = platform::UserDefaults::suite("com.apple.AppleMultitouchTrackpad");
    EXPECT_EQ(trackpad->objectForKey("TrackpadTwoFingerDoubleTapGesture"),
              platform::PlistObject::integer(1));
    EXPECT_EQ(trackpad->objectForKey("ForceSuppressed"), platform::PlistObject::string("YES"));
    EXPECT_EQ(platform::UserDefaults::suite("com.apple.driver.AppleBluetoothMultitouch.mouse")
                  ->objectForKey("MouseOneFingerDoubleTapGesture"),
              platform::PlistObject::real(2.0));
    EXPECT_EQ(platform::Bundle::main().bundlePath(), "/Users/me/Downloads/Zoral.app");
    EXPECT_EQ(SystemVersion::of(*again).version(), (platform::OperatingSystemVersion{13, 4, 1}));
    EXPECT_EQ(Spaces::of(*again).spaceOfWindow(34), 2);
    EXPECT_EQ(Displays::of(*again).mainDisplay()->number, 2);
    // The window server's order, levels and options; the tabs and the pre-frame of full screen.
    auto windows = WindowServer::of(*again).windows();
    // The Dock's, the menu bar's and the status items' aside.
    std::erase_if(windows, [](const ServerWindow& window) {
        return window.owner == Dock::defaultPid ||
               dynamic_cast<const WindowNode*>(window.node.get()) == nullptr;
    });
    ASSERT_EQ(windows.size(), 2u);
    EXPECT_EQ(windows[0].number, 35);
    EXPECT_EQ(windows[0].options,
              (WindowOptions{.level = 3, .clickThrough = false, .allSpaces = true}));
    EXPECT_EQ(windows[1].options,
              (WindowOptions{.level = 3, .clickThrough = true, .allSpaces = true}));
    const auto notesNode = std::dynamic_pointer_cast<WindowNode>(windows[1].node);
    ASSERT_TRUE(notesNode);
    EXPECT_EQ(notesNode->frameBeforeFullScreen(), platform::CGRect(100, 100, 800, 600));
    EXPECT_EQ(again->component<Tabs>().titles(dynamic_cast<const WindowNode&>(*windows[0].node)),
              (std::vector<std::string>{"Start", "News"}));
    EXPECT_TRUE(Spaces::of(*again).showsSpacesBars());
    // The devices, the hot keys, the keyboard and the cursor.
    EXPECT_EQ(InputDevices::of(*again).heldModifierFlags(), platform::CGEventFlags::maskShift);
    EXPECT_EQ(InputDevices::of(*again).pressedMouseButtons(), 0b101u);
    EXPECT_FALSE(Hands::of(*again).naturalScrolling());
    EXPECT_EQ(KeyboardLayouts::of(*again).currentLayout()->identifier, "French");
    EXPECT_EQ(HotKeys::of(*again).heldCombinations(),
              (std::set<HotKeyCombination>{{.keyCode = 49, .modifiers = 256}}));
    EXPECT_EQ(Cursor::of(*again).hideCount(), 2);
    EXPECT_EQ(again->programPid(), 800);
    EXPECT_DOUBLE_EQ(again->latencyOf(501, RoundTrip::setAttributeValue, "AXSize"), 0.5);
    EXPECT_DOUBLE_EQ(again->latencyOf(502, RoundTrip::notificationDelivery, "AXMoved"), 0.01);
    // Login items: the service refuses as the file says, and the session's list is not there.
    const LoginItems& items = LoginItems::of(*again);
    EXPECT_EQ(items.serviceStatus(), platform::SMAppServiceStatus::requiresApproval);
    EXPECT_EQ(items.registerFailure()->description(), "Operation not permitted");
    EXPECT_FALSE(items.sessionListAvailable());
    ASSERT_EQ(items.sessionItems().size(), 1u);
    EXPECT_FALSE(items.sessionItems()[0].resolves);
    // The file's world answers nothing: the permission is off and the editor hangs.
    EXPECT_EQ(ax::copyAttributeValue(ax::createApplication(502), "AXTitle").error(),
              ax::apiDisabled);
    // Read as a trusted program would, from an application that answers.
    again->setTrusted(true);
    again->process(501)->hung = false;
    const auto listed =
        answer<ax::Value::Array>(ax::copyAttributeValue(ax::createApplication(501), "AXWindows"));
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(elementName(*again, itemOf<ax::Element>(listed[0])), "notes");
    // The gone element answers as a closed one does.
    EXPECT_EQ(ax::copyAttributeValue(itemOf<ax::Element>(listed[1]), "AXTitle").error(),
              ax::invalidUIElement);
}

// The window server numbers the windows of all applications: a window the file leaves unnumbered
// never gets a number that another window of the file, or of the world it joins, has.
TEST_F(WorldFileTest, WindowNumbersAreUniqueAcrossApplications) {
    const auto numbers = [&] {
        std::set<std::int64_t> all;
        for (const ServerWindow& window : WindowServer::of(*world).windows())
            all.insert(window.number);
        return all;
    };
    loadWorld(*world, Json::parse(R"({"processes": [
        {"pid": 1, "children": [{"role": "AXWindow"}, {"role": "AXWindow", "window": {"number": 2}}]},
        {"pid": 3, "children": [{"role": "AXWindow"}, {"role": "AXWindow", "window": {"number": 1}}]}]})"));
    const auto first = numbers();
    EXPECT_EQ(first.size(), 4u);
    EXPECT_TRUE(first.contains(1) && first.contains(2));

    loadWorld(*world,
              Json::parse(R"({"processes": [{"pid": 4, "children": [{"role": "AXWindow"}]}]})"));
    EXPECT_EQ(numbers().size(), 5u);
    EXPECT_THROW(loadWorld(*world, Json::parse(R"({"processes": [{"pid": 5, "children": [
                     {"role": "AXWindow", "window": {"number": 1}}]}]})")),
                 WorldFileError);
}

TEST_F(WorldFileTest, AFreshWorldDumpsAsTheFilesDefaults) {
    EXPECT_EQ(dumpWorld(*world), formatWorldDescription(WorldDescription{}));
}

TEST_F(WorldFileTest, DumpsWhatChangedSinceLoading) {
    loadWorldFile(*world, defaultWorld);
    const auto notes =
        answer<ax::Element>(ax::copyAttributeValue(ax::createApplication(501), "AXFocusedWindow"));
    ASSERT_EQ(ax::setAttributeValue(notes, "AXPosition", platform::CGPoint{0, 25}), ax::success);
    const Json changed = dumpWorld(*world);
    EXPECT_EQ(changed["processes"][0]["children"][1]["attributes"]["AXPosition"],
              Json::parse(R"({"point": [0.0, 25.0]})"));
    ScopedWorld again;
    loadWorld(*again, changed);
    EXPECT_EQ(dumpWorld(*again), changed);
}

// A reference to an element that is gone (a closed window, say) dumps as a reference to nothing,
// and the dump loads back.
TEST_F(WorldFileTest, ReferencesToGoneElementsDumpAsNull) {
    loadWorld(*world, Json::parse(R"({"processes": [{"pid": 7, "id": "app",
        "attributes": {"AXFocusedWindow": {"element": "w"}, "AXChildrenInOrder": [{"element": "w"}]},
        "children": [{"role": "AXWindow", "id": "w", "children": [
            {"role": "AXButton", "id": "close", "attributes": {"AXSubrole": "AXCloseButton"}}]}]}]})"));
    ASSERT_EQ(ax::performAction(*elementNamed(*world, "close"), "AXPress"), ax::success);

    const Json dumped = dumpWorld(*world);
    const Json& attributes = dumped["processes"][0]["attributes"];
    EXPECT_EQ(attributes["AXFocusedWindow"], Json::parse(R"({"element": null})"));
    EXPECT_EQ(attributes["AXChildrenInOrder"], Json::parse(R"([{"element": null}])"));
    ScopedWorld again;
    loadWorld(*again, dumped);
    EXPECT_EQ(dumpWorld(*again), dumped);
}

// A window entering full screen gets a space of its own, and leaving gives it back: the world
// dumps and loads back at each step.
TEST_F(WorldFileTest, FullScreenSpacesDumpAndLoadBack) {
    loadWorld(*world, Json::parse(R"({
        "displays": [{"uuid": "A", "frame": [0, 0, 1000, 800], "spaces": [{"id": 1}]}],
        "processes": [{"pid": 7, "children": [{"role": "AXWindow", "id": "w",
            "window": {"space": 1}, "settable": ["AXFullScreen"],
            "attributes": {"AXPosition": {"point": [10, 10]}, "AXSize": {"size": [300, 200]}}}]}]})"));
    const ax::Element window = *elementNamed(*world, "w");
    const auto roundTrip = [&] {
        const Json dumped = dumpWorld(*world);
        ScopedWorld again;
        loadWorld(*again, dumped);
        EXPECT_EQ(dumpWorld(*again), dumped);
        return dumped;
    };
    ASSERT_EQ(ax::setAttributeValue(window, "AXFullScreen", true), ax::success);
    scheduler().advance(1);
    const Json full = roundTrip();
    EXPECT_EQ(full["displays"][0]["spaces"],
              Json::parse(R"([{"id": 1}, {"id": 2, "fullScreen": true}])"));
    EXPECT_EQ(full["processes"][0]["children"][0]["window"]["space"], 2);
    EXPECT_EQ(full["processes"][0]["children"][0]["window"]["frameBeforeFullScreen"],
              Json::parse("[10.0, 10.0, 300.0, 200.0]"));

    // The loaded full-screen window leaves full screen for the frame it had before.
    {
        ScopedWorld loaded;
        loadWorld(*loaded, full);
        ASSERT_EQ(ax::setAttributeValue(*elementNamed(*loaded, "w"), "AXFullScreen", false),
                  ax::success);
        scheduler().advance(1);
        const auto node =
            std::dynamic_pointer_cast<WindowNode>(loaded->resolve(*elementNamed(*loaded, "w")));
        EXPECT_EQ(node->frame(), platform::CGRect(10, 10, 300, 200));
    }
    ASSERT_EQ(ax::setAttributeValue(window, "AXFullScreen", false), ax::success);
    scheduler().advance(1);
    const Json back = roundTrip();
    EXPECT_EQ(back["displays"][0]["spaces"], Json::parse(R"([{"id": 1}])"));
    EXPECT_EQ(back["processes"][0]["children"][0]["window"]["space"], 1);
}

// Tab bars load with their tabs named; a tab detached into a window of its own dumps as that
// window's bar, and the world loads back equal.
TEST_F(WorldFileTest, TabBarsLoadDetachAndLoadBack) {
    loadWorld(*world, Json::parse(R"({"processes": [{"pid": 7, "children": [
        {"role": "AXWindow", "id": "w", "window": {"number": 3, "tabBars": [{"shape": "editor",
            "tabs": [{"title": "One", "id": "one"}, {"title": "Two", "id": "two"}]}]},
         "attributes": {"AXPosition": {"point": [100, 100]}, "AXSize": {"size": [600, 400]}}}]}]})"));
    const auto two = world->resolve(*elementNamed(*world, "two"));
    ASSERT_TRUE(two);
    EXPECT_EQ(answer<std::string>(ax::copyAttributeValue(two->element(), "AXTitle")), "Two");
    Tabs& tabs = world->component<Tabs>();
    tabs.releaseDragged(*world, two, {900, 700});
    scheduler().advance(1);

    const Json dumped = dumpWorld(*world);
    const Json& windows = dumped["processes"][0]["children"];
    ASSERT_EQ(windows.size(), 2u) << dumped.dump(2);
    EXPECT_EQ(windows[0]["window"]["tabBars"],
              Json::parse(R"([{"shape": "editor", "tabs": [{"title": "One", "id": "one"}]}])"));
    EXPECT_EQ(windows[1]["window"]["tabBars"],
              Json::parse(R"([{"shape": "editor", "tabs": [{"title": "Two"}]}])"));
    EXPECT_FALSE(windows[0].contains("children")) << "the bar is written as its tabs alone";
    ScopedWorld again;
    loadWorld(*again, dumped);
    EXPECT_EQ(dumpWorld(*again), dumped);
}

// The parts a window shows follow it, are named by the file and act as the parts made in code do;
// the menu bar and the status items lie in the menu bar's band; a world made in code with the same
// parts dumps as the same keys.
TEST_F(WorldFileTest, WindowPartsMenuBarsAndStatusItemsLoadFollowTheirPlaceAndDumpBack) {
    const Json file = Json::parse(R"({
      "displays": [{"frame": [0.0, 0.0, 1440.0, 900.0], "menuBarHeight": 25.0}],
      "processes": [{"pid": 7, "name": "Editor",
        "menuBar": {"menus": ["File", "Edit"], "id": "menus"},
        "children": [{"role": "AXWindow", "id": "w",
          "window": {"number": 3,
            "parts": [{"toolbar": {"height": 52.0, "items": ["Back", "Share"], "id": "toolbar"}},
                      {"titleBar": {"height": 52.0, "green": "zoom", "closeEnabled": false,
                                    "closeId": "close", "greenId": "zoom"}},
                      {"content": {"top": 52.0, "id": "content"}},
                      {"popover": {"offset": [100.0, 60.0, 150.0, 60.0], "id": "popover"}},
                      {"menu": {"offset": [280.0, 60.0, 120.0, 60.0], "items": ["Copy", "Paste"],
                                "id": "menu"}}],
            "tabBars": [{"shape": "native", "top": 120.0, "tabs": [{"title": "One"}]}]},
          "attributes": {"AXPosition": {"point": [100.0, 100.0]},
                         "AXSize": {"size": [600.0, 400.0]}}}]}],
      "statusItems": [{"pid": 7, "title": "12:00", "id": "clock"},
                      {"pid": 7, "title": "Sync", "width": 30.0}]})");
    loadWorld(*world, file);
    const auto node = [&](const char* name) { return world->resolve(*elementNamed(*world, name)); };
    const auto frame = [&](const char* name) {
        return answer<platform::CGRect>(ax::copyAttributeValue(node(name)->element(), "AXFrame"));
    };
    const ax::Element window = node("w")->element();
    EXPECT_EQ(answer<ax::Element>(ax::copyAttributeValue(window, "AXCloseButton")),
              node("close")->element());
    EXPECT_EQ(answer<ax::Element>(ax::copyAttributeValue(window, "AXZoomButton")),
              node("zoom")->element());
    EXPECT_FALSE(ax::copyAttributeValue(window, "AXFullScreenButton").ok());
    EXPECT_FALSE(answer<bool>(ax::copyAttributeValue(node("close")->element(), "AXEnabled")));
    EXPECT_EQ(frame("toolbar"), platform::CGRect(100, 100, 600, 52));
    // The title-bar buttons lie in front of the toolbar they were declared after.
    const platform::CGRect close = frame("close");
    const auto hit = ax::copyElementAtPosition(
        ax::createSystemWide(), static_cast<float>(close.midX()), static_cast<float>(close.midY()));
    EXPECT_EQ(hit.value(), node("close")->element());
    EXPECT_EQ(frame("content"), platform::CGRect(100, 152, 600, 348));
    EXPECT_EQ(frame("menu"), platform::CGRect(380, 160, 120, 60));
    EXPECT_EQ(world->component<Tabs>().barFrame(dynamic_cast<const WindowNode&>(*node("w"))),
              platform::CGRect(100, 220, 600, Tabs::barHeight));
    // The parts follow their window.
    std::dynamic_pointer_cast<WindowNode>(node("w"))->moveTo(*world, {300, 200});
    EXPECT_EQ(frame("popover"), platform::CGRect(400, 260, 150, 60));
    EXPECT_EQ(frame("close").origin, (platform::CGPoint{close.minX() + 200, close.minY() + 100}));
    // The menu bar: the system's menu, the application's, then the file's; the status items at
    // the right end, the first one rightmost.
    const auto menus = node("menus")->children();
    ASSERT_EQ(menus.size(), 4u);
    EXPECT_EQ(answer<std::string>(ax::copyAttributeValue(menus[1]->element(), "AXTitle")),
              "Editor");
    EXPECT_EQ(answer<ax::Element>(ax::copyAttributeValue(ax::createApplication(7), "AXMenuBar")),
              node("menus")->element());
    const double clockWidth = MenuBar::itemWidth("12:00");
    EXPECT_EQ(frame("clock"),
              platform::CGRect(1440 - MenuBar::edgeInset - clockWidth, 0, clockWidth, 25));

    // Dumped, the parts are written as they were declared, the window's attributes that name the
    // buttons and the elements the parts made left out.
    const Json dumped = dumpWorld(*world);
    const Json& written = dumped["processes"][0]["children"][0];
    EXPECT_EQ(written["window"]["parts"], file["processes"][0]["children"][0]["window"]["parts"]);
    EXPECT_FALSE(written["attributes"].contains("AXCloseButton")) << written.dump(2);
    EXPECT_FALSE(written.contains("children")) << written.dump(2);
    EXPECT_EQ(dumped["processes"][0]["menuBar"], file["processes"][0]["menuBar"]);
    EXPECT_FALSE(dumped["processes"][0].contains("children") &&
                 dumped["processes"][0]["children"].size() != 1u);
    EXPECT_EQ(dumped["statusItems"], file["statusItems"]);
    EXPECT_EQ(dumped["processes"][0]["children"][0]["window"]["tabBars"][0]["top"], 120.0);
    ScopedWorld again;
    loadWorld(*again, dumped);
    EXPECT_EQ(dumpWorld(*again), dumped);

    // The same parts made in code dump as the same keys.
    ScopedWorld coded;
    coded->addProcess(7, "", "Editor");
    auto made = coded->makeNode<WindowNode>(7, 3);
    made->set("AXPosition", platform::CGPoint{100, 100});
    made->set("AXSize", platform::CGSize{600, 400});
    coded->process(7)->application->appendChild(made);
    WindowParts::addToolbar(*coded, made, 0, 52, {"Back", "Share"});
    WindowParts::addTitleBarButtons(
        *coded, made, {.height = 52, .green = GreenButton::zoom, .closeEnabled = false});
    const Json codedDump = dumpWorld(*coded);
    const Json& codedWindow = codedDump["processes"][0]["children"][0]["window"];
    ASSERT_EQ(codedWindow["parts"].size(), 2u) << codedDump.dump(2);
    EXPECT_EQ(codedWindow["parts"][1]["titleBar"],
              Json::parse(R"({"height": 52.0, "green": "zoom", "closeEnabled": false})"));
}

// A process whose elements do not tell their process: the interface fails to read it, while the
// process itself runs as any other.
TEST_F(WorldFileTest, AProcessWhosePidCannotBeReadIsDeclared) {
    loadWorld(*world, Json::parse(R"({"processes": [{"pid": 7, "pidUnreadable": true,
        "children": [{"role": "AXWindow", "id": "w"}]}, {"pid": 8}]})"));
    EXPECT_EQ(ax::getPid(ax::createApplication(7)).error(), ax::failure);
    EXPECT_EQ(ax::getPid(*elementNamed(*world, "w")).error(), ax::failure);
    EXPECT_EQ(ax::getPid(ax::createApplication(8)).value(), 8);
    EXPECT_TRUE(ax::copyAttributeValue(ax::createApplication(7), "AXWindows").ok());
    EXPECT_TRUE(dumpWorld(*world)["processes"][0]["pidUnreadable"].get<bool>());
}

// Small worlds whose keys hold other values than the fixture's: each dumps as it was loaded.
TEST_F(WorldFileTest, OtherValuesDumpAsTheyWereLoaded) {
    const std::vector<const char*> files = {
        R"({"overview": "appExpose"})",
        R"({"keyboardLayout": null})",
        R"({"systemVersion": [12, 6, 0],
            "loginItems": {"sessionItems": [{"url": "file:///Applications/Editor.app/",
                "properties": {"hidden": false, "list": [1, 2.5, "x"], "nested": {"a": 1}}}]}})",
        R"({"latencyRules": [{"pid": 0, "kind": "copyElementAtPosition", "seconds": 0.25}]})",
        R"({"processes": [{"pid": 5, "windowOptions": {"clickThrough": true},
            "attributes": {"AXTitle": ""}, "children": [
            {"role": "AXWindow", "window": {"number": 1, "clickThrough": false}, "attributes":
                {"AXPosition": {"point": [0.0, 0.0]}, "AXSize": {"size": [10.0, 10.0]}}},
            {"role": "AXWindow", "window": {"number": 2, "layer": 8}, "attributes":
                {"AXPosition": {"point": [0.0, 0.0]}, "AXSize": {"size": [10.0, 10.0]}}},
            {"role": "AXWindow", "window": {"number": 3}, "attributes":
                {"AXPosition": {"point": [0.0, 0.0]}, "AXSize": {"size": [10.0, 10.0]}}}]}],
            "windowOrder": [2, 3, 1]})",
    };
    for (const char* text : files) {
        Json file = Json::parse(text);
        ScopedWorld fresh;
        loadWorld(*fresh, file);
        const Json dumped = dumpWorld(*fresh);
        for (const auto& [key, value] : file.items())
            EXPECT_EQ(dumped[key], value) << key << " of " << text;
        ScopedWorld again;
        loadWorld(*again, dumped);
        EXPECT_EQ(dumpWorld(*again), dumped) << text;
    }
}

// An element that the file does not name gets a name when something refers to it, and the
// names count in each world on its own.
TEST_F(WorldFileTest, MadeUpNamesCountPerWorld) {
    const Json file = Json::parse(R"({"processes": [{"pid": 7, "children": [
        {"role": "AXWindow", "attributes": {"AXPosition": {"point": [0, 0]},
                                            "AXSize": {"size": [100, 100]}}},
        {"role": "AXWindow", "id": "element-1", "attributes": {"AXPosition": {"point": [0, 0]},
                                                              "AXSize": {"size": [50, 50]}}}]}]})");
    const auto namesInAWorld = [&] {
        ScopedWorld fresh;
        loadWorld(*fresh, file);
        // The front window lies under the point; the file took its made-up name for the other.
        const auto front = ax::copyElementAtPosition(ax::createSystemWide(), 10, 10).value();
        const auto back = ax::copyElementAtPosition(ax::createSystemWide(), 90, 90).value();
        return std::vector<std::string>{elementName(*fresh, front), elementName(*fresh, back),
                                        dumpWorld(*fresh).dump()};
    };
    const auto first = namesInAWorld();
    EXPECT_EQ(first[0], "element-1");
    EXPECT_EQ(first[1], "element-2");
    EXPECT_EQ(namesInAWorld(), first);
}

TEST_F(WorldFileTest, EveryValueKindSurvivesARoundTrip) {
    const Json file = Json::parse(R"({
        "processes": [{"pid": 9, "id": "app",
          "attributes": {"a": [1, "two", {"point": [0.0, 0.0]}, [{"element": "app"}]],
                         "b": true, "d": 1.5, "e": {"element": "app"}, "g": {"range": [5, 6]},
                         "i": 12, "n": {"element": null}, "p": {"point": [1.0, 2.0]},
                         "r": {"rect": [1.0, 2.0, 3.0, 4.0]}, "s": "text",
                         "u": {"url": "file:///tmp/x"}, "x": {"error": -25204},
                         "z": {"size": [3.0, 4.0]}}}]})");
    loadWorld(*world, file);
    const Json dumped = dumpWorld(*world);
    Json attributes = dumped["processes"][0]["attributes"];
    attributes.erase("AXTitle");  // every application has its name as its title
    EXPECT_EQ(attributes, file["processes"][0]["attributes"]);
    EXPECT_TRUE(dumped["processes"][0]["attributes"]["i"].is_number_integer());
    EXPECT_TRUE(dumped["processes"][0]["attributes"]["d"].is_number_float());
    ScopedWorld again;
    loadWorld(*again, dumped);
    EXPECT_EQ(dumpWorld(*again), dumped);
}

// Each key of the fixture in turn given a value of another type: the file is refused at that
// key's place, and nothing of it loads. Attribute values, login-item properties and the values of
// the pointing devices' domains may be of any type and are left out.
TEST_F(WorldFileTest, AWrongTypeOfAnyKeyIsRefusedAtItsPlace) {
    const Json file = readJsonFile(everyKeyWorld);
    const auto wrong = [](const Json& value) -> Json {
        if (value.is_string())
            return 7;
        if (value.is_object())
            return Json::array({"not", "an", "object"});
        return "wrong";
    };
    int cases = 0;
    const std::function<void(const Json::json_pointer&, const std::string&)> visit =
        [&](const Json::json_pointer& at, const std::string& place) {
            const Json& value = file.at(at);
            if (!at.empty()) {
                Json changed = file;
                changed.at(at) = wrong(value);
                EXPECT_EQ(refusal(changed).rfind(place + ": ", 0), 0u)
                    << place << " -> " << refusal(changed);
                ++cases;
            }
            const bool valuesOfAnyType = place.find(".inputDevices.") != std::string::npos;
            if (value.is_object() && !valuesOfAnyType) {
                for (const auto& [key, member] : value.items()) {
                    if (key != "attributes" && key != "properties")
                        visit(at / key, place.empty() ? key : place + "." + key);
                }
            } else if (value.is_array()) {
                for (std::size_t i = 0; i < value.size(); ++i)
                    visit(at / i, place + "[" + std::to_string(i) + "]");
            }
        };
    visit(Json::json_pointer(), "");
    EXPECT_GT(cases, 100);
    EXPECT_TRUE(homeFiles().empty());
}

TEST_F(WorldFileTest, UnknownKeysAreRefusedAtTheirPlace) {
    const std::vector<std::pair<const char*, const char*>> cases = {
        {R"({"pointr": [1, 2]})", "pointr"},
        {R"({"processes": [{"pid": 1, "hiden": true}]})", "processes[0].hiden"},
        {R"({"processes": [{"pid": 1, "children": [{"role": "AXWindow", "atributes": {}}]}]})",
         "processes[0].children[0].atributes"},
        {R"({"processes": [{"pid": 1, "children": [{"role": "AXWindow", "window": {"nubmer": 3}}]}]})",
         "processes[0].children[0].window.nubmer"},
        {R"({"displays": [{"frame": [0, 0, 9, 9], "dock": {"edge": "left", "thickness": 4,
             "autohide": true}}]})",
         "displays[0].dock.autohide"},
        {R"({"timing": {"warp": 1}})", "timing.warp"},
        {R"({"systemSettings": {"appearance": "Dark"}})", "systemSettings.appearance"},
        {R"({"systemSettings": {"symbolicHotKeys": {"79": {"enabled": true,
             "parameters": [1, 2, 3], "type": "standard"}}}})",
         "systemSettings.symbolicHotKeys.79.type"},
        {R"({"dock": {"tiles": [{"kind": "trash", "colour": "grey"}]}})", "dock.tiles[0].colour"},
        {R"({"latencyRules": [{"seconds": 1, "attribute": "AXSize"}]})",
         "latencyRules[0].attribute"},
        {R"({"hotKeys": {"held": [{"keyCode": 1, "modifiers": 2, "owner": "x"}]}})",
         "hotKeys.held[0].owner"},
        {R"({"loginItems": {"sessionItems": [{"url": "file:///A.app/", "hidden": true}]}})",
         "loginItems.sessionItems[0].hidden"},
        {R"({"processes": [{"pid": 1, "windowOptions": {"level": 3}}]})",
         "processes[0].windowOptions.level"},
        {R"({"processes": [{"pid": 1, "children": [{"role": "AXWindow",
             "window": {"tabBars": [{"tabs": [{"title": "A", "url": "x"}]}]}}]}]})",
         "processes[0].children[0].window.tabBars[0].tabs[0].url"},
        {R"({"cursor": {"hidden": true}})", "cursor.hidden"},
    };
    for (const auto& [text, place] : cases) {
        const std::string message = refusal(Json::parse(text));
        EXPECT_EQ(message.rfind(std::string(place) + ": unknown key (expected ", 0), 0u) << message;
    }
    EXPECT_TRUE(homeFiles().empty());
}

TEST_F(WorldFileTest, ImpossibleValuesAreRefusedAtTheirPlace) {
    // A file whose one process has one window with these keys besides its role.
    const auto window = [](const char* keys) {
        return std::string(R"({"processes": [{"pid": 1, "children": [{"role": "AXWindow", )") +
               keys + "}]}]}";
    };
    const std::vector<std::pair<std::string, std::string>> cases = {
        {R"([])", "a world is a JSON object"},
        {R"({"latency": -1})", "latency: must not be negative"},
        {R"({"pointer": [1]})", "pointer: expected an array of 2 numbers"},
        {R"({"systemVersion": [14, -1, 0]})", "systemVersion[1]: must not be negative"},
        // Processes
        {R"({"processes": [{"name": "x"}]})", "processes[0]: needs \"pid\""},
        {R"({"processes": [{"pid": -3}]})", "processes[0].pid: must be a positive process id"},
        {R"({"processes": [{"pid": 4294967296}]})",
         "processes[0].pid: must be a positive process id"},
        {R"({"processes": [{"pid": 1}, {"pid": 1}]})", "processes[1].pid: pid 1 is taken"},
        {R"({"processes": [{"pid": 90}], "dock": {}})", "dock.pid: pid 90 is taken"},
        {R"({"processes": [{"pid": 1, "activationPolicy": "always"}]})",
         "processes[0].activationPolicy: expected regular, accessory or prohibited"},
        // Elements
        {R"({"processes": [{"pid": 1, "children": [{"id": "w"}]}]})",
         "processes[0].children[0]: needs \"role\""},
        {R"({"processes": [{"pid": 1, "id": "a", "children": [{"role": "AXGroup", "id": "a"}]}]})",
         "processes[0].children[0].id: the name \"a\" is taken"},
        {R"({"processes": [{"pid": 1, "attributes": {"AXMain": {"element": "nowhere"}}}]})",
         "processes[0].attributes.AXMain: no element is named \"nowhere\""},
        {R"({"processes": [{"pid": 1, "attributes": {"AXList": [3, {"element": "x"}]}}]})",
         "processes[0].attributes.AXList[1]: no element is named \"x\""},
        {R"({"processes": [{"pid": 1, "attributes": {"AXSize": {"size": [1]}}}]})",
         "processes[0].attributes.AXSize.size: expected an array of 2 numbers"},
        {R"({"processes": [{"pid": 1, "attributes": {"AXThing": {"colour": 1}}}]})",
         "processes[0].attributes.AXThing: unknown value kind \"colour\" (expected point, size, "
         "rect, range, url, element or error)"},
        {R"({"processes": [{"pid": 1, "attributes": {"AXThing": {"point": [1, 2], "size": [1, 2]}}}]})",
         "processes[0].attributes.AXThing: expected a value, or an object with one key: point, "
         "size, rect, range, url, element or error"},
        {R"({"processes": [{"pid": 1, "attributes": {"AXThing": null}}]})",
         "processes[0].attributes.AXThing: expected a value"},
        {R"({"processes": [{"pid": 1, "attributes": {"AXThing": 18446744073709551615}}]})",
         "processes[0].attributes.AXThing: integer out of range"},
        {R"({"processes": [{"pid": 1, "attributes": {"AXThing": {"error": 4294967296}}}]})",
         "processes[0].attributes.AXThing.error: code out of range"},
        {R"({"processes": [{"pid": 1, "attributes": {"AXRole": "AXButton"}}]})",
         "processes[0].attributes.AXRole: the element's own, and cannot be stored"},
        {R"({"processes": [{"pid": 1, "children": [{"role": "AXGroup", "window": {}}]}]})",
         "processes[0].children[0].window: only an AXWindow has window fields"},
        {R"({"processes": [{"pid": 1, "children": [{"role": "AXGroup",
             "children": [{"role": "AXWindow"}]}]}]})",
         "processes[0].children[0].children[0].role: a window is a child of its application"},
        // Windows
        {window(R"("attributes": {"AXPosition": 5})"),
         "processes[0].children[0].attributes.AXPosition: a window's position is a point"},
        {window(R"("attributes": {"AXSize": "big"})"),
         "processes[0].children[0].attributes.AXSize: a window's size is a size"},
        {window(R"("attributes": {"AXSize": {"size": [-1, 5]}})"),
         "processes[0].children[0].attributes.AXSize.size: a size must not be negative"},
        {window(R"("attributes": {"AXMinimized": 1})"),
         "processes[0].children[0].attributes.AXMinimized: expected true or false"},
        {window(R"("attributes": {"AXFrame": {"rect": [0, 0, 1, 1]}})"),
         "processes[0].children[0].attributes.AXFrame: follows from the window and cannot be "
         "stored"},
        {window(R"("window": {"minimumSize": [300, 200]},
                   "attributes": {"AXSize": {"size": [100, 100]}})"),
         "processes[0].children[0].attributes.AXSize: outside the window's minimum and maximum "
         "size"},
        {window(R"("window": {"minimumSize": [300, 200], "maximumSize": [200, 300]})"),
         "processes[0].children[0].window.maximumSize: smaller than the minimum size"},
        {R"({"processes": [{"pid": 1, "children": [{"role": "AXWindow", "window": {"number": 3}},
             {"role": "AXWindow", "window": {"number": 3}}]}]})",
         "processes[0].children[1].window.number: window number 3 is taken"},
        {window(R"("window": {"layer": 3000000000})"),
         "processes[0].children[0].window.layer: out of range"},
        {R"({"displays": [{"uuid": "A", "frame": [0, 0, 9, 9], "spaces": [{"id": 1}]}],
             "processes": [{"pid": 1, "children": [{"role": "AXWindow", "window": {"space": 2}}]}]})",
         "processes[0].children[0].window.space: no display has the space 2"},
        // Displays and spaces
        {R"({"displays": [{"number": 1}]})", "displays[0]: needs \"frame\""},
        {R"({"displays": [{"frame": [0, 0, -9, 9]}]})",
         "displays[0].frame: a size must not be negative"},
        {R"({"displays": [{"frame": [0, 0, 9, 9], "menuBarHeight": 10}]})",
         "displays[0].menuBarHeight: higher than the display"},
        {R"({"displays": [{"frame": [0, 0, 9, 9], "dock": {"edge": "top", "thickness": 4}}]})",
         "displays[0].dock.edge: expected bottom, left or right"},
        {R"({"displays": [{"frame": [0, 0, 90, 50], "menuBarHeight": 20,
                           "dock": {"edge": "bottom", "thickness": 40}}]})",
         "displays[0].dock.thickness: thicker than the display"},
        {R"({"displays": [{"frame": [0, 0, 9, 9], "dock": {"edge": "left"}}]})",
         "displays[0].dock: needs \"thickness\""},
        {R"({"displays": [{"frame": [0, 0, 9, 9], "dock": {"edge": "left", "thickness": 1}},
                          {"frame": [9, 0, 9, 9], "dock": {"edge": "left", "thickness": 1}}]})",
         "displays[1].dock: the Dock is on one display only"},
        {R"({"displays": [{"number": 1, "frame": [0, 0, 9, 9]}, {"number": 1, "frame": [9, 0, 9, 9]}]})",
         "displays[1].number: another display has the number"},
        {R"({"displays": [{"uuid": "A", "frame": [0, 0, 9, 9]}, {"uuid": "A", "frame": [9, 0, 9, 9]}]})",
         "displays[1].uuid: another display has the UUID"},
        {R"({"displays": [{"number": 1, "frame": [0, 0, 9, 9]}], "mainDisplay": 2})",
         "mainDisplay: no display has the number"},
        {R"({"displays": [{"frame": [0, 0, 9, 9], "spaces": [{"id": 1}]}]})",
         "displays[0].spaces: spaces need the display's \"uuid\""},
        {R"({"displays": [{"uuid": "A", "frame": [0, 0, 9, 9], "spaces": [{"id": 1}]},
                          {"uuid": "B", "frame": [9, 0, 9, 9], "spaces": [{"id": 1}]}]})",
         "displays[1].spaces[0].id: another space has the id"},
        {R"({"displays": [{"uuid": "A", "frame": [0, 0, 9, 9], "spaces": [{"id": 1}],
                           "currentSpace": 2}]})",
         "displays[0].currentSpace: not one of the display's spaces"},
        {R"({"displays": [{"uuid": "A", "frame": [0, 0, 9, 9],
                           "spaces": [{"id": 1, "fullScreen": true}]}]})",
         "displays[0].spaces: a display has a desktop among its spaces"},
        {R"({"displays": [{"uuid": "A", "frame": [0, 0, 9, 9], "spaces": [{"id": 0}]}]})",
         "displays[0].spaces[0].id: must be positive"},
        // The Dock
        {R"({"dock": {"tiles": [{"kind": "rocket"}]}})",
         "dock.tiles[0].kind: expected application, folder, separator or trash"},
        {R"({"dock": {"tiles": [{"kind": "application", "title": "Editor"}]}})",
         "dock.tiles[0]: needs \"url\""},
        {R"({"dock": {"tiles": [{"kind": "separator", "title": "Gap"}]}})",
         "dock.tiles[0].title: separators and the trash have none"},
        // System settings
        {R"({"displays": [{"frame": [0, 0, 9, 9], "dock": {"edge": "left", "thickness": 1}}],
             "systemSettings": {"dockOrientation": "right"}})",
         "systemSettings.dockOrientation: the Dock's side differs from its display's"},
        {R"({"systemSettings": {"symbolicHotKeys": {"left": {"enabled": true,
             "parameters": [65535, 123, 0]}}}})",
         "systemSettings.symbolicHotKeys.left: a hot key's identifier is a decimal number"},
        {R"({"systemSettings": {"symbolicHotKeys": {"79": {"enabled": true,
             "parameters": [65535, 70000, 0]}}}})",
         "systemSettings.symbolicHotKeys.79.parameters[1]: a key code is a number from 0 to "
         "65535"},
        {R"({"systemSettings": {"symbolicHotKeys": {"79": {"enabled": true,
             "parameters": [65535, 123]}}}})",
         "systemSettings.symbolicHotKeys.79.parameters: expected an array of 3 integers"},
        {R"({"systemSettings": {"inputDevices": {"com.apple.Dock": {"orientation": "left"}}}})",
         "systemSettings.inputDevices.com.apple.Dock: no pointing device has this domain"},
        {R"({"systemSettings": {"inputDevices": {"com.apple.AppleMultitouchMouse": []}}})",
         "systemSettings.inputDevices.com.apple.AppleMultitouchMouse: expected an object"},
        {R"({"programBundle": "Applications/Zoral.app"})",
         "programBundle: must be an absolute path"},
        // The window server's order and options, tabs and full screen
        {R"({"processes": [{"pid": 1, "children": [{"role": "AXWindow", "window": {"number": 4}},
             {"role": "AXWindow", "window": {"number": 5}}]}], "windowOrder": [5, 6]})",
         "windowOrder[1]: no window of the file has the number 6"},
        {R"({"processes": [{"pid": 1, "children": [{"role": "AXWindow", "window": {"number": 4}}]}],
             "windowOrder": [4, 4]})",
         "windowOrder[1]: window 4 is listed already"},
        {R"({"processes": [{"pid": 1, "children": [{"role": "AXWindow", "window": {"number": 4}},
             {"role": "AXWindow", "window": {"number": 5, "layer": 3}}]}], "windowOrder": [4, 5]})",
         "windowOrder[1]: a window of a higher level than the one before it"},
        {window(R"("window": {"frameBeforeFullScreen": [0, 0, 10, 10]})"),
         "processes[0].children[0].window.frameBeforeFullScreen: only a window in full screen has "
         "one"},
        {window(R"("window": {"tabBars": [{"shape": "browser", "tabs": []}]})"),
         "processes[0].children[0].window.tabBars[0].tabs: a tab bar has at least one tab"},
        {window(R"("window": {"tabBars": [{"shape": "spiral", "tabs": [{"title": "A"}]}]})"),
         "processes[0].children[0].window.tabBars[0].shape: expected native, browser, namedCells "
         "or editor"},
        {window(R"("id": "w", "window": {"tabBars": [{"tabs": [{"title": "A", "id": "w"}]}]})"),
         "processes[0].children[0].window.tabBars[0].tabs[0].id: the name \"w\" is taken"},
        {window(R"("window": {"clickThrough": 1})"),
         "processes[0].children[0].window.clickThrough: expected true or false"},
        {R"({"processes": [{"pid": 1, "windowOptions": {"layer": 3000000000}}]})",
         "processes[0].windowOptions.layer: out of range"},
        {window(R"("window": {"parts": [{}]})"),
         "processes[0].children[0].window.parts[0]: a part is one of titleBar, toolbar, content, "
         "popover or menu"},
        {window(R"("window": {"parts": [{"content": {}, "popover": {"offset": [0, 0, 1, 1]}}]})"),
         "processes[0].children[0].window.parts[0]: a part is one of titleBar, toolbar, content, "
         "popover or menu"},
        {window(R"("id": "w", "window": {"parts": [{"titleBar": {"greenId": "w"}}]})"),
         "processes[0].children[0].window.parts[0].titleBar.greenId: the name \"w\" is taken"},
        {window(R"("window": {"parts": [{"titleBar": {"height": 0}}]})"),
         "processes[0].children[0].window.parts[0].titleBar.height: must be positive"},
        {window(R"("window": {"parts": [{"toolbar": {"top": 0}}]})"),
         "processes[0].children[0].window.parts[0].toolbar: needs \"height\""},
        {window(R"("window": {"parts": [{"menu": {"offset": [0, 0, -1, 1]}}]})"),
         "processes[0].children[0].window.parts[0].menu.offset: a size must not be negative"},
        {R"({"processes": [{"pid": 1, "children": [{"role": "AXGroup", "window": {"parts": []}}]}]})",
         "processes[0].children[0].window: only an AXWindow has window fields"},
        {R"({"processes": [{"pid": 1}], "statusItems": [{"pid": 2, "title": "x"}]})",
         "statusItems[0].pid: no process of the file has the pid"},
        {R"({"processes": [{"pid": 1}], "statusItems": [{"pid": 1}]})",
         "statusItems[0]: needs \"title\""},
        {R"({"processes": [{"pid": 1, "id": "a", "menuBar": {"id": "a"}}]})",
         "processes[0].menuBar.id: the name \"a\" is taken"},
        {R"({"processes": [{"pid": 90}], "overview": "missionControl"})",
         "overview: pid 90 is taken"},
        {R"({"overview": "launchpad"})", "overview: expected missionControl or appExpose"},
        {R"({"processes": [{"pid": 700}], "programPid": 700})", "programPid: pid 700 is taken"},
        // Devices, hot keys, the keyboard and the cursor
        {R"({"pressedButtons": [0, 32]})",
         "pressedButtons: a mouse button is a number from 0 to 31"},
        {R"({"pressedButtons": [1, 1]})", "pressedButtons[1]: the button is listed already"},
        {R"({"modifierFlags": -1})", "modifierFlags: must not be negative"},
        {R"({"inputMonitoring": {"post": "maybe"}})",
         "inputMonitoring.post: expected granted, denied or unknown"},
        {R"({"keyboardLayout": "Dvorak"})",
         "keyboardLayout: expected French or US, or null for none"},
        {R"({"keyboardLayout": 3})",
         "keyboardLayout: expected a layout's identifier, or null for none"},
        {R"({"hotKeys": {"held": [{"keyCode": 4294967296, "modifiers": 0}]}})",
         "hotKeys.held[0].keyCode: a number from 0 to 4294967295"},
        {R"({"hotKeys": {"held": [{"keyCode": 49, "modifiers": 256},
                                  {"keyCode": 49, "modifiers": 256}]}})",
         "hotKeys.held[1]: the combination is held already"},
        {R"({"hotKeys": {"held": [{"keyCode": 49}]}})", "hotKeys.held[0]: needs \"modifiers\""},
        {R"({"cursor": {"hideCount": -1}})", "cursor.hideCount: must not be negative"},
        // Latencies
        {R"({"latencyRules": [{"pid": 5}]})", "latencyRules[0]: needs \"seconds\""},
        {R"({"latencyRules": [{"kind": "copyAttribute", "seconds": 1}]})",
         "latencyRules[0].kind: expected copyAttributeValue, copyAttributeNames, "
         "isAttributeSettable, setAttributeValue, copyActionNames, performAction, "
         "copyElementAtPosition, getWindow or notificationDelivery"},
        {R"({"latencyRules": [{"pid": -1, "seconds": 1}]})",
         "latencyRules[0].pid: must be a process id, or 0 for the system-wide element"},
        {R"({"timing": {"minimize": -0.5}})", "timing.minimize: must not be negative"},
        // Login items, and the system version they need
        {R"({"systemVersion": [12, 6, 0], "loginItems": {"serviceStatus": "enabled"}})",
         "loginItems.serviceStatus: the system has no login service before version 13"},
        {R"({"systemVersion": [12, 6, 0], "loginItems": {"registerFailure":
             {"domain": "SMAppServiceErrorDomain", "code": 1}}})",
         "loginItems.registerFailure: the system has no login service before version 13"},
        {R"({"loginItems": {"unregisterFailure": {"code": 1}}})",
         "loginItems.unregisterFailure: needs \"domain\""},
        {R"({"loginItems": {"sessionItems": [{"properties": {}}]}})",
         "loginItems.sessionItems[0]: needs \"url\""},
        {R"({"loginItems": {"sessionItems": [{"url": "file:///A.app/", "properties": {"a": null}}]}})",
         "loginItems.sessionItems[0].properties.a: expected a string, a boolean, a number, an "
         "array or an object"},
    };
    for (const auto& [text, message] : cases)
        EXPECT_EQ(refusal(Json::parse(text)), message) << text;
    EXPECT_TRUE(homeFiles().empty());
}

// A file whose only fault is at its very end loads nothing at all: no process, no display, no
// setting in the home.
TEST_F(WorldFileTest, ARefusedFileLoadsNothing) {
    Json file = readJsonFile(everyKeyWorld);
    file["bundles"]["file:///Applications/Broken.app/"] = 3;
    EXPECT_EQ(refusal(file), "bundles.file:///Applications/Broken.app/: expected a string");
    EXPECT_TRUE(homeFiles().empty());
    EXPECT_FALSE(platform::UserDefaults::standard().stringForKey("AppleInterfaceStyle"));
}

// The system's settings are the world's: a world that does not say them has the system's
// defaults, whatever an earlier world left in the home; the Dock's side follows its display.
TEST_F(WorldFileTest, SystemSettingsAreLoadedDumpedAndResetWithTheWorld) {
    loadWorldFile(*world, everyKeyWorld);
    ASSERT_EQ(platform::UserDefaults::standard().stringForKey("AppleInterfaceStyle"), "Dark");

    ScopedWorld next;
    loadWorld(*next, Json::parse(R"({"displays": [{"frame": [0, 0, 900, 600],
        "dock": {"edge": "right", "thickness": 50}}]})"));
    EXPECT_FALSE(platform::UserDefaults::standard().stringForKey("AppleInterfaceStyle"));
    EXPECT_EQ(platform::UserDefaults::suite("com.apple.Dock")->stringForKey("orientation"),
              "right");
    EXPECT_FALSE(
        platform::UserDefaults::suite("com.apple.WindowManager")->objectForKey("GloballyEnabled"));
    EXPECT_FALSE(fs::exists(home.preferences() / "com.apple.symbolichotkeys.plist"));
    const Json dumped = dumpWorld(*next);
    EXPECT_EQ(dumped["systemSettings"], Json::parse(R"({"dockOrientation": "right"})"));

    // What the program's side changes, the dump says.
    setStageManager(true, true);
    EXPECT_EQ(dumpWorld(*next)["systemSettings"]["stageManager"],
              Json::parse(R"({"globallyEnabled": true, "autoHide": true})"));
}

// The pointing devices' settings are the world's too: a later world without them leaves their
// domains empty, and what a user changes in them, the dump says.
TEST_F(WorldFileTest, PointingDeviceSettingsFollowTheWorld) {
    loadWorldFile(*world, everyKeyWorld);
    ScopedWorld next;
    loadWorld(*next, Json::parse(R"({"systemSettings": {"inputDevices": {
        "com.apple.AppleMultitouchMouse": {"MouseOneFingerDoubleTapGesture": false}}}})"));
    EXPECT_TRUE(platform::UserDefaults::standard()
                    .persistentDomainForName("com.apple.AppleMultitouchTrackpad")
                    .empty());

    platform::UserDefaults::suite("com.apple.driver.AppleBluetoothMultitouch.trackpad")
        ->setObject(platform::PlistObject::integer(0), "TrackpadPinch");
    EXPECT_EQ(dumpWorld(*next)["systemSettings"]["inputDevices"], Json::parse(R"({
        "com.apple.AppleMultitouchMouse": {"MouseOneFingerDoubleTapGesture": false},
        "com.apple.driver.AppleBluetoothMultitouch.trackpad": {"TrackpadPinch": 0}})"));
}

// The program's bundle lies where the world puts it, for as long as the world lasts.
TEST_F(WorldFileTest, TheProgramsBundleLiesWhereTheWorldSaysWhileItLasts) {
    const std::string before = platform::Bundle::main().bundlePath();
    {
        ScopedWorld placed;
        loadWorld(*placed, Json::parse(R"({"programBundle": "/Applications/Zoral.app"})"));
        EXPECT_TRUE(platform::Bundle::main().isInApplicationsFolder());
        EXPECT_EQ(dumpWorld(*placed)["programBundle"], "/Applications/Zoral.app");
    }
    EXPECT_EQ(platform::Bundle::main().bundlePath(), before);
    EXPECT_FALSE(dumpWorld(*world).contains("programBundle"));
}

TEST_F(WorldFileTest, HotKeysNeedAHome) {
    const zoral::testing::TemporaryHome::Without noHome;
    const Json file = Json::parse(R"({"processes": [{"pid": 3}], "systemSettings": {
        "symbolicHotKeys": {"79": {"enabled": true, "parameters": [65535, 123, 0]}}}})");
    EXPECT_EQ(refusal(file),
              "systemSettings: the symbolic hot keys need a home to live in, and there is none");
}

TEST_F(WorldFileTest, FilesThatCannotBeReadSayWhy) {
    const fs::path directory = home.path() / "worlds";
    fs::create_directories(directory);
    std::ofstream(directory / "broken.json") << R"({"processes": [)";
    // Nothing but a regular file is read: a pipe with no writer would block the reader, a device
    // would be read until memory runs out.
    ASSERT_EQ(::mkfifo((directory / "pipe.json").c_str(), 0600), 0);
    const std::vector<std::pair<fs::path, std::string>> cases = {
        {directory / "missing.json", "no such file"},
        {directory, "is a directory, not a file"},
        {directory / "pipe.json", "is a named pipe, not a file"},
        {"/dev/zero", "is a device, not a file"},
    };
    for (const auto& [path, reason] : cases) {
        try {
            loadWorldFile(*world, path);
            ADD_FAILURE() << path;
        } catch (const WorldFileError& error) {
            EXPECT_EQ(std::string(error.what()), path.string() + ": " + reason);
        }
    }
    try {
        loadWorldFile(*world, directory / "broken.json");
        ADD_FAILURE();
    } catch (const WorldFileError& error) {
        EXPECT_NE(std::string(error.what()).find("broken.json: "), std::string::npos);
        EXPECT_NE(std::string(error.what()).find("unexpected end of input"), std::string::npos);
    }
}

TEST_F(WorldFileTest, AFileOverTheLimitIsRefusedBeforeItIsRead) {
    const fs::path path = home.path() / "large.json";
    std::ofstream(path) << R"({"processes": []})";
    const std::size_t size = fs::file_size(path);
    EXPECT_EQ(readJsonFile(path, size), Json::parse(R"({"processes": []})"));
    try {
        (void)readJsonFile(path, size - 1);
        ADD_FAILURE();
    } catch (const WorldFileError& error) {
        EXPECT_EQ(std::string(error.what()),
                  path.string() + ": is larger than " + std::to_string(size - 1) + " bytes");
    }
}

}  // namespace
}  // namespace zoral::sim
