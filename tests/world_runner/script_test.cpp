#include "script.h"

#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "platform/alerts.h"
#include "platform/bundle.h"
#include "platform/events.h"
#include "platform/json.h"
#include "platform/local_events.h"
#include "platform/menus.h"
#include "platform/plist_object.h"
#include "platform/status_bar.h"
#include "platform/user_defaults.h"
#include "settings/action_user_type.h"
#include "settings/defaults.h"
#include "settings/defaults_keys.h"
#include "shortcuts/global_shortcuts.h"
#include "sim/displays.h"
#include "sim/input_devices.h"
#include "sim/journal.h"
#include "sim/spaces.h"
#include "sim/world.h"
#include "sim/world_file.h"
#include "support/captured_output.h"
#include "support/temporary_home.h"
#include "support/virtual_clock.h"

namespace zoral::world_runner {
namespace {

using platform::Json;

const char* const defaultWorld = ZORAL_FIXTURES_DIR "/worlds/default.json";
const char* const tour = ZORAL_FIXTURES_DIR "/scripts/tour.json";

class ScriptTest : public zoral::testing::VirtualClockTest {
protected:
    void SetUp() override { sim::loadWorldFile(*world, defaultWorld); }

    // The refusal's text, or a failure when the script runs.
    static std::string refusal(const char* script) {
        try {
            runScript(Json::parse(script));
        } catch (const ScriptError& error) {
            return error.what();
        }
        ADD_FAILURE() << "ran: " << script;
        return {};
    }

    zoral::testing::ScopedOutputCapture output;
    zoral::testing::TemporaryHome home;
    sim::ScopedWorld world;
};

// The tour reads, writes, presses the close button of the window it reads and hangs a process;
// every answer prints with the name the program gives its code, and the world it leaves, the
// closed window gone, loads back.
TEST_F(ScriptTest, TheTourPrintsEachAnswerAndLeavesAWorldThatLoadsBack) {
    runScript(sim::readJsonFile(tour));
    EXPECT_EQ(output.lines(), (std::vector<std::string>{
                                  R"(read AXTitle: "Notes")",
                                  "hitTest: notes-close",
                                  "set AXPosition: ok",
                                  "set AXTitle: error AttributeUnsupported",
                                  R"(read AXFrame: {"rect":[0.0,25.0,800.0,600.0]})",
                                  "perform AXPress: ok",
                                  "read AXTitle: error InvalidUIElement",
                                  "read AXTitle: error CannotComplete",
                              }));
    const Json dumped = sim::dumpWorld(*world);
    EXPECT_EQ(dumped.dump().find("\"notes\""), std::string::npos);
    sim::ScopedWorld again;
    sim::loadWorld(*again, dumped);
    EXPECT_EQ(sim::dumpWorld(*again), dumped);
}

// A value of the wrong kind written to a window is refused by the window, and the window keeps
// its frame.
TEST_F(ScriptTest, WritesOfTheWrongKindLeaveTheWindowAsItWas) {
    runScript(Json::parse(R"([
        {"set": {"element": "notes", "attribute": "AXPosition", "value": 5}},
        {"set": {"element": "notes", "attribute": "AXPosition", "value": {"size": [1, 2]}}},
        {"set": {"element": "notes", "attribute": "AXSize", "value": "big"}},
        {"set": {"element": "notes", "attribute": "AXMinimized", "value": 1}},
        {"read": {"element": "notes", "attribute": "AXFrame"}}])"));
    EXPECT_EQ(output.lines(), (std::vector<std::string>{
                                  "set AXPosition: error IllegalArgument",
                                  "set AXPosition: error IllegalArgument",
                                  "set AXSize: error IllegalArgument",
                                  "set AXMinimized: error IllegalArgument",
                                  R"(read AXFrame: {"rect":[120.0,80.0,800.0,600.0]})",
                              }));
}

// The user's hands take the window by its title bar, then by its bottom-right corner, with modifier
// keys held; each step runs to its end on the virtual clock (button and keys let go) and prints
// the frame then, and the world dumps the moved window.
TEST_F(ScriptTest, HandsDragAndResizeAWindowWithModifiersHeld) {
    runScript(Json::parse(R"([
        {"drag": {"window": "notes", "by": [100, 50], "moves": 5, "modifiers": ["option"]}},
        {"resize": {"window": "notes", "edges": ["right", "bottom"], "by": [40, 20], "moves": 2,
                    "modifiers": ["shift", "command"]}}])"));
    EXPECT_EQ(output.lines(), (std::vector<std::string>{
                                  R"(drag notes: {"rect":[220.0,130.0,800.0,600.0]})",
                                  R"(resize notes: {"rect":[220.0,130.0,840.0,620.0]})",
                              }));
    EXPECT_EQ(sim::InputDevices::of(*world).pressedMouseButtons(), 0u);
    EXPECT_TRUE(sim::InputDevices::of(*world).heldModifierFlags().isEmpty());
    EXPECT_EQ(sim::dumpWorld(*world)["processes"][0]["children"][1]["attributes"]["AXSize"],
              Json::parse(R"({"size": [840.0, 620.0]})"));
}

// Each kind of entry prints on a line of its own, with its virtual time.
TEST_F(ScriptTest, TheJournalPrintsEveryEntryOnRequest) {
    sim::Journal& journal = sim::Journal::of(*world);
    journal.clear();
    platform::CGEvent down{.type = platform::CGEventType::keyDown,
                           .location = {10, 20},
                           .flags = platform::CGEventFlags::maskShift,
                           .keyCode = 49};
    journal.record(
        sim::PostedEvent{.time = 1.5, .event = down, .tap = platform::CGEventTapLocation::hid});
    down.targetPid = 501;
    journal.record(sim::PostedEvent{.time = 1.5, .event = down, .tap = std::nullopt});
    journal.record(sim::PointerWarp{.time = 2, .location = {5, 6}});
    journal.record(sim::WorkspaceRequest{.kind = sim::WorkspaceRequest::Kind::activate,
                                         .pid = 502,
                                         .options = platform::activateIgnoringOtherApps,
                                         .time = 2.25});
    journal.record(sim::PermissionPrompt{.time = 3});
    journal.record(sim::EnhancedInterfaceWrite{.pid = 501, .value = false, .time = 4});
    runScript(Json::parse(R"([{"journal": {"clear": true}}, {"journal": {}}])"));
    EXPECT_EQ(output.lines(),
              (std::vector<std::string>{
                  "journal: 6 entries",
                  "  1.500 posted keyDown at [10.0,20.0] flags 0x20000 key 49 to the HID stream",
                  "  1.500 posted keyDown at [10.0,20.0] flags 0x20000 key 49 to process 501",
                  "  2.000 warped the pointer to [5.0,6.0]",
                  "  2.250 asked to activate process 502 with options 2",
                  "  3.000 prompted for the Accessibility permission",
                  "  4.000 wrote AXEnhancedUserInterface false to process 501",
                  "journal: 0 entries",
              }));
}

TEST_F(ScriptTest, FaultsNameTheStepAndThePlace) {
    const std::vector<std::pair<const char*, std::string>> cases = {
        {R"({})", "a script is a JSON array of steps"},
        {R"([{"read": {}, "set": {}}])",
         "step 1: a step is an object with one key, the step's name"},
        {R"([{"advance": 1}, {"jump": 3}])",
         "step 2: jump: unknown step (expected advance, read, set, perform, hitTest, trusted, "
         "systemSettings, loginItems, programBundle, hang, unhang, drag, resize, journal, "
         "hardware, windows, clickStatusItem, dragStatusItemOut, chooseMenuItem, answerAlert, "
         "statusBar, enable, plugDisplay, unplugDisplay, appearance, recordShortcut or "
         "meanwhile)"},
        {R"([{"drag": {"window": "nobody", "by": [1, 1]}}])",
         "step 1: drag.window: no element is named \"nobody\""},
        {R"([{"drag": {"window": "notes-close", "by": [1, 1]}}])",
         "step 1: drag.window: \"notes-close\" is no window"},
        {R"([{"drag": {"window": "notes", "by": [1, 1], "moves": 0}}])",
         "step 1: drag.moves: takes from 1 to 1000 moves"},
        {R"([{"drag": {"window": "notes", "by": [1, 1], "modifiers": ["hyper"]}}])",
         "step 1: drag.modifiers[0]: expected shift, control, option, command or fn"},
        {R"([{"drag": {"window": "notes", "by": [1, 1], "edges": ["left"]}}])",
         "step 1: drag.edges: a drag takes the title bar; a resize takes edges"},
        {R"([{"resize": {"window": "notes", "by": [1, 1]}}])", "step 1: resize: needs \"edges\""},
        {R"([{"resize": {"window": "notes", "by": [1, 1], "edges": ["left", "right"]}}])",
         "step 1: resize.edges: left and right are opposite edges"},
        {R"([{"journal": {"clear": "yes"}}])", "step 1: journal.clear: expected true or false"},
        {R"([{"read": {"element": "notes", "atribute": "AXTitle"}}])",
         "step 1: read.atribute: unknown key (expected element or attribute)"},
        {R"([{"read": {"element": "nobody", "attribute": "AXTitle"}}])",
         "step 1: read.element: no element is named \"nobody\""},
        {R"([{"perform": {"element": "notes", "action": 3}}])",
         "step 1: perform.action: expected a string"},
        {R"([{"set": {"element": "notes", "attribute": "AXPosition"}}])",
         "step 1: set: needs \"value\""},
        {R"([{"set": {"element": "notes", "attribute": "AXMain", "value": {"element": "ghost"}}}])",
         "step 1: set.value: no element is named \"ghost\""},
        {R"([{"set": {"element": "notes", "attribute": "AXSize", "value": {"size": [1, -1]}}}])",
         "step 1: set.value.size: a size must not be negative"},
        {R"([{"advance": "soon"}])", "step 1: advance: expected a finite number"},
        {R"([{"advance": -1}])", "step 1: advance: takes seconds from 0 to 86400"},
        {R"([{"advance": 1e9}])", "step 1: advance: takes seconds from 0 to 86400"},
        {R"([{"hitTest": [1]}])", "step 1: hitTest: expected an array of 2 numbers"},
        {R"([{"hitTest": [1e300, 0]}])", "step 1: hitTest: a coordinate lies from -1e9 to 1e9"},
        {R"([{"trusted": 1}])", "step 1: trusted: expected true or false"},
        {R"([{"systemSettings": {"inputDevices": {"com.apple.Dock": {}}}}])",
         "step 1: systemSettings: \"com.apple.Dock\" is no pointing device's domain"},
        {R"([{"systemSettings": {"inputDevices": {"com.apple.AppleMultitouchMouse": 1}}}])",
         "step 1: systemSettings.inputDevices.com.apple.AppleMultitouchMouse: expected an object"},
        {R"([{"loginItems": {"serviceStatus": "on"}}])",
         "step 1: loginItems.serviceStatus: expected notRegistered, enabled, requiresApproval or "
         "notFound"},
        {R"([{"programBundle": "Zoral.app"}])", "step 1: programBundle: must be an absolute path"},
        {R"([{"hang": 7}])", "step 1: hang: no process has the pid 7"},
        {R"([{"unhang": 99999999999}])", "step 1: unhang: no process has the pid 99999999999"},
        {R"([{"hardware": [{"swipe": {}}]}])",
         "step 1: hardware: step 1: unknown hardware step \"swipe\""},
        {R"([{"advance": 0}, {"hardware": [{"pause": 0},
                                          {"scroll": {"moves": [{"travel": [1e308, 0]}]}}]}])",
         "step 2: hardware: step 2: scroll.moves[0].travel: a point's coordinates lie from "
         "-100000 to 100000"},
        {R"([{"hardware": [{"key": {"code": 0, "repeats": 2147483647}}]}])",
         "step 1: hardware: step 1: key.repeats: must be from 0 to 1000"},
        {R"([{"windows": []}])", "step 1: windows: takes {}"},
        {R"([{"enable": ["snapMax", "fly"]}])",
         "step 1: enable[1]: no kind of action is named \"fly\""},
        {R"([{"plugDisplay": {"number": 1, "uuid": "NEW", "frame": [0, 0, 800, 600]}}])",
         "step 1: plugDisplay.number: another display has the number"},
        {R"([{"plugDisplay": {"number": 3, "uuid": "NEW", "frame": [0, 0, 0, 600]}}])",
         "step 1: plugDisplay.frame: a display has a width and a height"},
        {R"([{"plugDisplay": {"number": 3, "uuid": "NEW", "frame": [0, 0, 800, 600],
                              "menuBarHeight": 700}}])",
         "step 1: plugDisplay.menuBarHeight: from 0 to the display's height"},
        {R"([{"unplugDisplay": 7}])", "step 1: unplugDisplay: no display has the number"},
        {R"([{"appearance": "purple"}])", "step 1: appearance: expected light or dark"},
        {R"([{"recordShortcut": {"name": "fixPinchAndSwipe", "keyCode": 2,
                                 "modifiers": ["fn"]}}])",
         "step 1: recordShortcut.modifiers[0]: a shortcut takes shift, control, option, command"},
        {R"([{"recordShortcut": {"name": "fixPinchAndSwipe", "keyCode": 200}}])",
         "step 1: recordShortcut.keyCode: a key code from 0 to 127"},
        {R"([{"meanwhile": {"in": 1}}])", "step 1: meanwhile: needs what happens"},
        {R"([{"meanwhile": {"quit": 501, "hang": 502}}])",
         "step 1: meanwhile.hang: one happening a step"},
        {R"([{"meanwhile": {"in": -1, "quit": 501}}])",
         "step 1: meanwhile.in: takes seconds from 0 to 86400"},
        {R"([{"meanwhile": {"quit": 7}}])", "step 1: meanwhile.quit: no process has the pid 7"},
        {R"([{"meanwhile": {"close": "ghost"}}])",
         "step 1: meanwhile.close.element: no element is named \"ghost\""},
        {R"([{"meanwhile": {"close": "notes-close"}}])",
         "step 1: meanwhile.close: \"notes-close\" is no window"},
        {R"([{"meanwhile": {"addDisplay": {"frame": [0, 0, 1, 1], "spaces": [{"id": 5}]}}}])",
         "step 1: meanwhile.addDisplay: a display added to a running world takes no spaces"},
        {R"([{"meanwhile": {"defaults": {"key": "tooltipShow", "value": [1]}}}])",
         "step 1: meanwhile.defaults.value: a setting is true, false, a number, a string or "
         "null"},
        {R"([{"meanwhile": {"launch": 501}}])",
         "step 1: meanwhile.launch: unknown happening (expected hang, unhang, quit, close, "
         "trusted, removeDisplay, addDisplay, defaults or overview)"},
        {R"([{"meanwhile": {"overview": "launchpad"}}])",
         "step 1: meanwhile.overview: expected \"missionControl\", \"appExpose\" or null"},
    };
    for (const auto& [script, message] : cases)
        EXPECT_EQ(refusal(script), message) << script;
}

// The user's session: kinds of action turned on, a display plugged in and out, the appearance and
// a shortcut recorded, each where the system and the program keep it.
TEST_F(ScriptTest, SessionStepsChangeTheDisplaysTheAppearanceAndTheSettings) {
    runScript(Json::parse(R"([
        {"enable": ["appChain"]},
        {"plugDisplay": {"number": 3, "uuid": "THIRD", "frame": [-800, 0, 800, 600],
                         "menuBarHeight": 25}},
        {"appearance": "dark"},
        {"recordShortcut": {"name": "fixPinchAndSwipe", "keyCode": 2,
                            "modifiers": ["control", "option"]}},
        {"unplugDisplay": 2}])"));
    EXPECT_TRUE(settings::Defaults::readValue(settings::Defaults::Keys::actions())
                    .contains(settings::ActionUserType::appChain));
    std::vector<std::string> uuids;
    for (const auto& display : sim::Displays::of(*world).displays())
        uuids.push_back(display.uuid);
    EXPECT_EQ(uuids, (std::vector<std::string>{"5E2A1C44-0F6B-4C0D-9A43-0D1B7C2F9E11", "THIRD"}));
    EXPECT_EQ(platform::UserDefaults::standard().stringForKey("AppleInterfaceStyle"), "Dark");
    // Control (4096) and option (2048), as the system's hot keys take them.
    EXPECT_EQ(shortcuts::GlobalShortcuts::storedShortcut(
                  shortcuts::GlobalShortcuts::Name("fixPinchAndSwipe")),
              (shortcuts::GlobalShortcuts::Shortcut{2, 4096 | 2048}));
    EXPECT_EQ(output.lines(),
              (std::vector<std::string>{"enable: 1 kinds of action", "plugDisplay: 3 displays",
                                        "appearance: dark", "recordShortcut: fixPinchAndSwipe",
                                        "unplugDisplay: 2 displays"}));
}

// A script changes the system's settings and the login items as a world file states them, and
// moves the program's bundle.
TEST_F(ScriptTest, SystemSettingsLoginItemsAndTheProgramsBundleChange) {
    runScript(Json::parse(R"([
        {"systemSettings": {"inputDevices": {"com.apple.AppleMultitouchTrackpad":
            {"TrackpadPinch": 1}}}},
        {"programBundle": "/Applications/Zoral.app"}])"));
    EXPECT_EQ(platform::UserDefaults::suite("com.apple.AppleMultitouchTrackpad")
                  ->objectForKey("TrackpadPinch"),
              platform::PlistObject::integer(1));
    EXPECT_EQ(platform::Bundle::main().bundlePath(), "/Applications/Zoral.app");
    const Json dumped = sim::dumpWorld(*world);
    EXPECT_EQ(dumped["programBundle"], "/Applications/Zoral.app");
    EXPECT_EQ(dumped["systemSettings"]["inputDevices"],
              Json::parse(R"({"com.apple.AppleMultitouchTrackpad": {"TrackpadPinch": 1}})"));

    // The login items are the step's, the session's list whole.
    runScript(Json::parse(R"([{"loginItems": {"serviceStatus": "enabled",
        "sessionItems": [{"url": "file:///Applications/Zoral.app"}]}},
        {"loginItems": {"serviceStatus": "requiresApproval",
        "sessionItems": [{"url": "file:///Applications/Other.app"}]}}])"));
    EXPECT_EQ(sim::dumpWorld(*world)["loginItems"],
              Json::parse(R"({"serviceStatus": "requiresApproval",
                  "sessionItems": [{"url": "file:///Applications/Other.app"}]})"));

    // A part the step names is replaced whole; the parts it leaves out stay.
    runScript(Json::parse(R"([{"systemSettings": {"inputDevices": {}}},
        {"systemSettings": {"interfaceStyle": "Dark"}}])"));
    EXPECT_FALSE(platform::UserDefaults::suite("com.apple.AppleMultitouchTrackpad")
                     ->objectForKey("TrackpadPinch"));
    EXPECT_EQ(platform::UserDefaults::standard().stringForKey("AppleInterfaceStyle"), "Dark");
    EXPECT_EQ(platform::UserDefaults::suite("com.apple.Dock")->stringForKey("orientation"),
              "bottom");
}

// The hardware's input moves the pointer and reaches the pipeline; the windows print with their
// frames and whether they are minimised.
TEST_F(ScriptTest, HardwareInputPlaysAndWindowsPrintTheirFrames) {
    runScript(Json::parse(R"([
        {"hardware": [{"pointer": [300, 300]}, {"wheel": {"lines": 2}}]},
        {"windows": {}}])"));
    EXPECT_EQ(sim::InputDevices::of(*world).pointer(), (platform::CGPoint{300, 300}));
    EXPECT_EQ(output.lines(), (std::vector<std::string>{
                                  "hardware: 2 steps",
                                  "windows:",
                                  R"(  notes: {"rect":[120.0,80.0,800.0,600.0]})",
                                  R"(  old-draft: {"rect":[200.0,150.0,640.0,480.0]} minimised)",
                                  R"(  start-page: {"rect":[300.0,200.0,1000.0,700.0]})",
                              }));
}

// What a step says happens meanwhile happens at its time on the clock that later steps run, and
// not before; what is gone by then is left alone.
TEST_F(ScriptTest, HappeningsComeAtTheirTimeWhileLaterStepsRun) {
    runScript(Json::parse(R"([
        {"meanwhile": {"in": 0.5, "close": "notes"}},
        {"meanwhile": {"in": 0.5, "hang": 502}},
        {"meanwhile": {"in": 0.7, "removeDisplay": 2}},
        {"meanwhile": {"in": 0.8, "addDisplay": {"number": 3, "uuid": "THIRD",
                                                 "frame": [-800, 0, 800, 600]}}},
        {"meanwhile": {"in": 0.9, "defaults": {"key": "tooltipShow", "value": false}}},
        {"meanwhile": {"in": 1, "trusted": false}},
        {"meanwhile": {"in": 1, "quit": 502}},
        {"meanwhile": {"in": 2, "close": "notes"}},
        {"meanwhile": {"in": 0.2, "overview": "missionControl"}},
        {"advance": 0.4},
        {"windows": {}},
        {"advance": 0.7},
        {"windows": {}},
        {"advance": 1}])"));
    EXPECT_EQ(output.lines(), (std::vector<std::string>{
                                  "windows:",
                                  R"(  notes: {"rect":[120.0,80.0,800.0,600.0]})",
                                  R"(  old-draft: {"rect":[200.0,150.0,640.0,480.0]} minimised)",
                                  R"(  start-page: {"rect":[300.0,200.0,1000.0,700.0]})",
                                  "windows:",
                                  R"(  old-draft: {"rect":[200.0,150.0,640.0,480.0]} minimised)",
                              }));
    EXPECT_EQ(world->process(502), nullptr);
    EXPECT_TRUE(sim::Spaces::of(*world).showsSpacesBars());
    EXPECT_FALSE(world->isTrusted());
    const auto displays = sim::Displays::of(*world).displays();
    ASSERT_EQ(displays.size(), 2U);
    EXPECT_EQ(displays[1].uuid, "THIRD");
    EXPECT_EQ(platform::UserDefaults::standard().objectForKey("tooltipShow"),
              platform::PlistObject::boolean(false));
}

// Steps the runner adds run in their turn; their faults name the step.
TEST_F(ScriptTest, ExtraStepsRunInTurnAndTheirFaultsNameTheStep) {
    std::vector<Json> seen;
    const ExtraSteps extra{{"note", [&](const Json& arguments) {
                                if (!arguments.is_string())
                                    throw ScriptError("takes a text");
                                seen.push_back(arguments);
                            }}};
    runScript(Json::parse(R"([{"note": "one"}, {"advance": 0}, {"note": "two"}])"), extra);
    EXPECT_EQ(seen, (std::vector<Json>{"one", "two"}));
    try {
        runScript(Json::parse(R"([{"note": 3}])"), extra);
        ADD_FAILURE() << "ran";
    } catch (const ScriptError& error) {
        EXPECT_STREQ(error.what(), "step 1: note: takes a text");
    }
}

// Steps before a faulty one have run, and printed; nothing after it runs.
TEST_F(ScriptTest, AFaultStopsTheScriptAtItsStep) {
    EXPECT_EQ(refusal(R"([{"read": {"element": "notes", "attribute": "AXTitle"}},
                          {"hang": 7},
                          {"read": {"element": "notes", "attribute": "AXTitle"}}])"),
              "step 2: hang: no process has the pid 7");
    EXPECT_EQ(output.lines(), (std::vector<std::string>{R"(read AXTitle: "Notes")"}));
}

// The program's status item under the user's hands: a right click that the program's monitor
// takes (it beeps and asks with an alert), the alert's answer, a left click that opens the menu, a
// choice, and a Command-drag out of the menu bar; the journal keeps the alert and the beep.
TEST_F(ScriptTest, HandsClickTheStatusItemChooseFromItsMenuAndAnswerAlerts) {
    const auto item =
        platform::StatusBar::system().statusItemWithLength(platform::squareStatusItemLength);
    item->setBehavior(platform::StatusItemBehavior::removalAllowed);
    item->button()->setImage("MenuBarIcon");
    const auto counter = platform::MenuItem::make("1 Zodiriz");
    const auto quit = platform::MenuItem::make("Quit Zoral", "q");
    int quits = 0;
    quit->action = [&](platform::MenuItem&) { ++quits; };
    item->setMenu(std::make_shared<platform::Menu>(
        "Zoral", std::vector{counter, platform::MenuItem::separatorItem(), quit}));
    std::optional<platform::ModalResponse> response;
    const auto monitor = platform::addLocalMonitorForEvents(
        platform::eventMaskFromType(platform::NSEventType::rightMouseDown),
        [&](const platform::NSEvent&) -> std::optional<platform::NSEvent> {
            platform::beep();
            platform::Alert alert;
            alert.messageText = "Open the preferences?";
            response = alert.runModal();
            return std::nullopt;
        });
    sim::Journal::of(*world).clear();

    runScript(Json::parse(R"([
        {"statusBar": {}},
        {"clickStatusItem": {"button": "right"}},
        {"statusBar": {}},
        {"answerAlert": "OK"},
        {"clickStatusItem": {}},
        {"statusBar": {}},
        {"chooseMenuItem": ["Quit Zoral"]},
        {"chooseMenuItem": ["Quit Zoral"]},
        {"dragStatusItemOut": {"item": 0}},
        {"clickStatusItem": {}},
        {"statusBar": {}},
        {"journal": {}}])"));
    EXPECT_EQ(response, platform::alertFirstButtonReturn);
    EXPECT_EQ(quits, 1);
    EXPECT_EQ(output.lines(),
              (std::vector<std::string>{
                  "statusBar:",
                  R"(  Item-0: visible at {"rect":[1405.0,0.0,25.0,25.0]} image MenuBarIcon)",
                  "clickStatusItem: clicked",
                  "statusBar:",
                  R"(  Item-0: visible at {"rect":[1405.0,0.0,25.0,25.0]} image MenuBarIcon)",
                  R"(  alert 1 "Open the preferences?" buttons ["OK"])",
                  "answerAlert: answered",
                  "clickStatusItem: clicked",
                  "statusBar:",
                  R"(  Item-0: visible at {"rect":[1405.0,0.0,25.0,25.0]} image MenuBarIcon)",
                  "  open menu:",
                  "    [ ] 1 Zodiriz",
                  "    -----",
                  R"(    [ ] Quit Zoral  key "q" mask 0x100000)",
                  "chooseMenuItem: chosen",
                  "chooseMenuItem: no such item to choose",
                  "dragStatusItemOut: removed",
                  "clickStatusItem: not in the menu bar",
                  "statusBar:",
                  "  Item-0: removed image MenuBarIcon",
                  "journal: 3 entries",
                  "  0.000 beeped",
                  R"(  0.000 showed alert 1 "Open the preferences?" "" with buttons ["OK"])",
                  "  0.000 the user answered alert 1 with 1000",
              }));
}

TEST_F(ScriptTest, StatusItemStepsRefuseWhatCannotBe) {
    const std::vector<std::pair<const char*, std::string>> cases = {
        {R"([{"clickStatusItem": {}}])",
         "step 1: clickStatusItem.item: the program has 0 status items, and none at place 0"},
        {R"([{"clickStatusItem": {"item": -1}}])",
         "step 1: clickStatusItem.item: is a place from 0"},
        {R"([{"clickStatusItem": {"button": "middle"}}])",
         "step 1: clickStatusItem.button: expected left or right"},
        {R"([{"answerAlert": "OK"}])", "step 1: answerAlert: no alert is on screen"},
        {R"([{"chooseMenuItem": []}])",
         "step 1: chooseMenuItem: takes the titles that lead to the item"},
        {R"([{"statusBar": []}])", "step 1: statusBar: takes {}"},
    };
    for (const auto& [script, message] : cases)
        EXPECT_EQ(refusal(script), message) << script;
}

}  // namespace
}  // namespace zoral::world_runner
