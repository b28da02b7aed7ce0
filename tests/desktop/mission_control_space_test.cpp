#include "desktop/mission_control_space.h"

#include <gtest/gtest.h>

#include "desktop/screen.h"
#include "desktop/ui_element.h"
#include "platform/events.h"
#include "platform/spaces.h"
#include "sim/application_node.h"
#include "sim/displays.h"
#include "sim/dock.h"
#include "sim/input_devices.h"
#include "sim/spaces.h"
#include "sim/timing.h"
#include "sim/window_node.h"
#include "sim/workspace.h"
#include "sim/world.h"
#include "support/captured_output.h"
#include "support/virtual_clock.h"

namespace zoral::desktop {
namespace {

using platform::CGEventType;
using platform::CGPoint;
using platform::CGRect;
using platform::PlistObject;
using sim::DisplaySpaces;
using sim::SimSpace;

constexpr platform::ProcessId spacesEditorPid = 5;

// Two displays side by side: the primary one on the left, a taller one on the right (top-left y
// from -180). The left display has desktops 1 (current) and 2 and a full-screen space 3; the right
// one the desktop 10. An editor window covers the right display's middle.
class MissionControlSpaceTest : public zoral::testing::VirtualClockTest {
protected:
    MissionControlSpaceTest() {
        sim::Dock::install(*world);
        setSpaces({{"LEFT", 1, {{1}, {2}, {3, true}}}, {"RIGHT", 10, {{10}}}});

        sim::Process& editor = world->addProcess(spacesEditorPid, "org.example.editor", "Editor");
        auto window = world->makeNode<sim::WindowNode>(spacesEditorPid, 50);
        window->moveTo(*world, {2000, 100});
        window->resizeTo(*world, {800, 600});
        editor.application->appendChild(window);
        // Another application is in front until the space's drop activates the editor.
        world->addProcess(6, "org.example.viewer", "Viewer");
        world->bringToFront(6);
    }
    ~MissionControlSpaceTest() override { Screen::setScreens({}); }

    sim::Spaces& spaces() { return sim::Spaces::of(*world); }
    void setSpaces(std::vector<DisplaySpaces> displays) {
        spaces().setDisplaySpaces(*world, std::move(displays));
    }

    static UIElementRef wrap(const std::shared_ptr<sim::Node>& node) {
        return std::make_shared<UIElement>(node->element());
    }
    // The space of the button standing for the space with the identifier.
    std::shared_ptr<MissionControlSpace> space(std::int64_t id) {
        return MissionControlSpace::make(wrap(spaces().buttonOf(id)));
    }
    std::shared_ptr<sim::Node> overview() {
        return world->process(sim::Dock::defaultPid)->application->children().back();
    }

    std::vector<sim::PostedEvent> posted() const {
        return sim::InputDevices::of(*world).postedEvents();
    }

    std::vector<Screen> installDisplays() {
        sim::Displays::of(*world).setDisplays(
            {sim::Display{.number = 1, .uuid = "LEFT", .frame = {0, 0, 1440, 900}},
             sim::Display{.number = 2, .uuid = "RIGHT", .frame = {1440, 0, 1920, 1080}}});
        std::vector<Screen> screens;
        for (const auto& display : sim::Displays::of(*world).displays()) {
            screens.push_back({.nsScreen = display.screen(),
                               .uiFrame = display.frame,
                               .axFrame = flip(display.frame),
                               .snapFrame = flip(display.frame)});
        }
        Screen::setScreens(screens);
        return screens;
    }

    sim::ScopedWorld world;
    zoral::testing::ScopedOutputCapture output;
    std::vector<Screen> allScreens = installDisplays();
    Screen left = allScreens[0];
    Screen right = allScreens[1];
};

TEST_F(MissionControlSpaceTest, ShowingFollowsTheDocksOverviewChild) {
    EXPECT_FALSE(isMissionControlShowing());
    spaces().showMissionControl(*world);
    EXPECT_TRUE(isMissionControlShowing());
    spaces().showAppExpose(*world);
    EXPECT_TRUE(isMissionControlShowing());
    spaces().hide(*world);
    EXPECT_FALSE(isMissionControlShowing());
}

TEST_F(MissionControlSpaceTest, OnlyButtonsOfASpacesBarWhileShowingMakeASpace) {
    spaces().showMissionControl(*world);
    const auto button = spaces().buttonOf(2);
    ASSERT_TRUE(space(2));
    EXPECT_EQ(space(2)->element(), button->element());

    // Not a button, a button of an ordinary window, a button outside every tree.
    EXPECT_FALSE(MissionControlSpace::make(wrap(button->parent())));
    auto closeButton = world->makeNode(spacesEditorPid, "AXButton");
    world->process(spacesEditorPid)->application->children().front()->appendChild(closeButton);
    EXPECT_FALSE(MissionControlSpace::make(wrap(closeButton)));
    EXPECT_FALSE(MissionControlSpace::make(wrap(world->makeNode(spacesEditorPid, "AXButton"))));
    EXPECT_FALSE(MissionControlSpace::make(nullptr));

    // While the overview is titled otherwise, Mission Control does not show.
    overview()->set("AXTitle", std::string("Desktop"));
    EXPECT_FALSE(space(2));
    overview()->set("AXTitle", std::string("App Expose"));
    EXPECT_TRUE(space(2));
}

TEST_F(MissionControlSpaceTest, TheUpwardWalkEndsAfterThirtySteps) {
    spaces().showMissionControl(*world);
    const auto bar = spaces().barOf("LEFT");
    for (const int between : {29, 30}) {
        auto top = world->makeNode(sim::Dock::defaultPid, "AXGroup");
        bar->appendChild(top);
        for (int level = 1; level < between; ++level) {
            auto next = world->makeNode(sim::Dock::defaultPid, "AXGroup");
            top->appendChild(next);
            top = next;
        }
        auto button = world->makeNode(sim::Dock::defaultPid, "AXButton");
        top->appendChild(button);
        EXPECT_EQ(MissionControlSpace::make(wrap(button)) != nullptr, between == 29) << between;
    }
}

TEST_F(MissionControlSpaceTest, MovableTruthTable) {
    struct Case {
        const char* name;
        std::vector<SimSpace> spaces;
        std::int64_t current;
        std::int64_t asked;
        bool movable;
    };
    const Case cases[] = {
        {"full screen", {{1}, {2}, {3, true}}, 1, 3, true},
        {"current full screen", {{1}, {2}, {3, true}}, 3, 3, true},
        {"current desktop", {{1}, {2}, {3, true}}, 1, 1, false},
        {"other of two desktops", {{1}, {2}, {3, true}}, 1, 2, true},
        {"only desktop", {{1, true}, {2}}, 1, 2, false},
        {"only desktop beside full screens", {{1}, {2, true}, {3, true}}, 2, 1, false},
    };
    spaces().showMissionControl(*world);
    for (const Case& c : cases) {
        setSpaces({{"LEFT", c.current, c.spaces}, {"RIGHT", 10, {{10}}}});
        const auto subject = space(c.asked);
        ASSERT_TRUE(subject) << c.name;
        EXPECT_EQ(subject->isMovable(left), c.movable) << c.name;
        // The same answer decides whether the action goes ahead.
        EXPECT_EQ(subject->missionControlSpaceAction(Direction::right, left).has_value(), c.movable)
            << c.name;
        // The drag runs on its own queue; it ends before the next case is set up.
        scheduler().advance(2);
    }
}

TEST_F(MissionControlSpaceTest, ASpaceWithoutItsDisplaysRecordIsNotMovable) {
    spaces().showMissionControl(*world);
    const auto subject = space(2);
    ASSERT_TRUE(subject->isMovable(left));
    // The button on another screen's bar, or a screen the window server names otherwise.
    EXPECT_FALSE(subject->isMovable(right));

    const auto answer = spaces().describe();
    const auto replaceLeft = [&](const char* key, PlistObject value) {
        auto copy = answer;
        auto* displays = copy.getIf<platform::PlistArray>();
        ASSERT_NE(displays, nullptr);
        auto* first = displays->front().getIf<platform::PlistDictionary>();
        ASSERT_NE(first, nullptr);
        first->insert_or_assign(key, std::move(value));
        spaces().replaceAnswer(copy);
    };
    replaceLeft("Display Identifier", PlistObject::string("OTHER"));
    EXPECT_FALSE(subject->isMovable(left));
    replaceLeft("Current Space",
                PlistObject::dictionary({{"ManagedSpaceID", PlistObject::integer(-1)}}));
    EXPECT_FALSE(subject->isMovable(left));
    // Fewer records than buttons.
    replaceLeft("Spaces", PlistObject::array({PlistObject::dictionary(
                              {{"ManagedSpaceID", PlistObject::integer(1)}})}));
    EXPECT_FALSE(subject->isMovable(left));
    spaces().replaceAnswer(std::nullopt);
    EXPECT_FALSE(subject->isMovable(left));

    // A display without a number has no name at the window server.
    spaces().restoreAnswer();
    sim::Displays::of(*world).updateDisplay(1,
                                            [](sim::Display& display) { display.number.reset(); });
    left.nsScreen = sim::Displays::of(*world).displays()[0].screen();
    EXPECT_FALSE(subject->isMovable(left));
}

TEST_F(MissionControlSpaceTest, AppExposeShowsButFindsNoButtons) {
    spaces().showMissionControl(*world);
    overview()->set("AXTitle", std::string("App Expose"));
    const auto subject = space(2);
    ASSERT_TRUE(subject);
    EXPECT_FALSE(subject->isMovable(left));
    EXPECT_FALSE(subject->missionControlSpaceAction(Direction::right, left));
}

TEST_F(MissionControlSpaceTest, ManagedDisplaySpacesDropEveryMalformedDisplay) {
    const auto spaceEntry = [](std::int64_t id) {
        return PlistObject::dictionary({{"ManagedSpaceID", PlistObject::integer(id)}});
    };
    const auto display = [&](PlistObject identifier, PlistObject current, PlistObject list) {
        return PlistObject::dictionary({{"Display Identifier", std::move(identifier)},
                                        {"Current Space", std::move(current)},
                                        {"Spaces", std::move(list)}});
    };
    const auto good =
        display(PlistObject::string("GOOD"), spaceEntry(7), PlistObject::array({spaceEntry(7)}));
    const auto current = [&](PlistObject id) {
        return PlistObject::dictionary({{"ManagedSpaceID", std::move(id)}});
    };
    const auto twoSpaces = PlistObject::array({spaceEntry(4), spaceEntry(5)});
    struct Case {
        const char* name;
        PlistObject entry;
    };
    const Case cases[] = {
        {"identifier no string", display(PlistObject::integer(3), spaceEntry(4), twoSpaces)},
        {"current no dictionary",
         display(PlistObject::string("X"), PlistObject::integer(4), twoSpaces)},
        {"current id no integer",
         display(PlistObject::string("X"), current(PlistObject::string("4")), twoSpaces)},
        {"current id -1", display(PlistObject::string("X"), spaceEntry(-1), twoSpaces)},
        {"spaces no array", display(PlistObject::string("X"), spaceEntry(4), spaceEntry(4))},
        {"a space no dictionary",
         display(PlistObject::string("X"), spaceEntry(4),
                 PlistObject::array({spaceEntry(4), PlistObject::integer(5)}))},
        {"a space without an integer id",
         display(PlistObject::string("X"), spaceEntry(4),
                 PlistObject::array({spaceEntry(4), PlistObject::dictionary()}))},
        {"display no dictionary", PlistObject::string("X")},
    };
    const ManagedDisplaySpaces onlyGood{{"GOOD", {{7, true, MissionControlSpaceType::desktop}}}};
    for (const Case& c : cases) {
        spaces().replaceAnswer(PlistObject::array({c.entry, good}));
        EXPECT_EQ(copyManagedDisplaySpaces(), onlyGood) << c.name;
    }

    // Only a dictionary marks full screen; an empty list is kept.
    auto layouts = PlistObject::array(
        {PlistObject::dictionary({{"ManagedSpaceID", PlistObject::integer(4)},
                                  {"TileLayoutManager", PlistObject::dictionary()}}),
         PlistObject::dictionary({{"ManagedSpaceID", PlistObject::integer(5)},
                                  {"TileLayoutManager", PlistObject::string("yes")}})});
    spaces().replaceAnswer(PlistObject::array(
        {display(PlistObject::string("X"), spaceEntry(4), layouts),
         display(PlistObject::string("EMPTY"), spaceEntry(1), PlistObject::array())}));
    EXPECT_EQ(copyManagedDisplaySpaces(),
              (ManagedDisplaySpaces{{"X",
                                     {{4, true, MissionControlSpaceType::fullscreen},
                                      {5, false, MissionControlSpaceType::desktop}}},
                                    {"EMPTY", {}}}));

    for (auto answer : {std::optional<PlistObject>(), std::optional(PlistObject::dictionary())}) {
        spaces().replaceAnswer(answer);
        EXPECT_TRUE(copyManagedDisplaySpaces().empty());
    }
    EXPECT_EQ(windowServerConnection(), platform::cgsDefaultConnection());
}

TEST_F(MissionControlSpaceTest, ActionWithoutANeighbourOrAMovableSpaceDoesNothing) {
    spaces().showMissionControl(*world);
    EXPECT_FALSE(space(2)->missionControlSpaceAction(Direction::inwards, left));
    EXPECT_FALSE(space(2)->missionControlSpaceAction(Direction::left, left));
    EXPECT_FALSE(space(1)->missionControlSpaceAction(Direction::right, left));
    scheduler().runUntilIdle();
    EXPECT_TRUE(posted().empty());
}

TEST_F(MissionControlSpaceTest, ActionWithoutTargetButtonsReturnsTheTargetAndPostsNothing) {
    struct Case {
        const char* name;
        std::function<void()> breakTarget;
    };
    const Case cases[] = {
        {"no spaces bar",
         [&] {
             const auto bar = spaces().barOf("RIGHT");
             bar->parent()->removeChild(bar);
         }},
        {"no list",
         [&] {
             const auto bar = spaces().barOf("RIGHT");
             bar->removeChild(bar->children().front());
         }},
        {"empty list",
         [&] {
             setSpaces({{"LEFT", 1, {{1}, {2}}}, {"RIGHT", 10, {}}});
         }},
    };
    for (const Case& c : cases) {
        spaces().hide(*world);
        setSpaces({{"LEFT", 1, {{1}, {2}}}, {"RIGHT", 10, {{10}}}});
        spaces().showMissionControl(*world);
        c.breakTarget();
        EXPECT_EQ(space(2)->missionControlSpaceAction(Direction::right, left), right) << c.name;
        scheduler().runUntilIdle();
        EXPECT_TRUE(posted().empty()) << c.name;
    }
}

TEST_F(MissionControlSpaceTest, DragsTheButtonBehindTheTargetsLastAndActivatesWhatLiesThere) {
    spaces().showMissionControl(*world);
    const auto subject = space(2);
    world->resetRoundTrips();
    // What the resolution pays to ask, and what the action pays before its drag: each reads the
    // Dock's tree afresh.
    EXPECT_TRUE(subject->isMovable(left));
    EXPECT_EQ(world->roundTripCount(), 14);
    world->resetRoundTrips();
    ASSERT_EQ(subject->missionControlSpaceAction(Direction::right, left), right);
    EXPECT_TRUE(posted().empty());
    EXPECT_EQ(world->roundTripCount(), 20);
    world->resetRoundTrips();
    scheduler().advance(2);

    // Button 2 of the left bar lies at (200, 5, 160, 90); the right bar's only button at
    // (1460, -175, 160, 90): the drag starts 10 below the top of the one, at its middle, and ends
    // half a button beyond the other, at its middle.
    const CGPoint from{280, 15};
    const CGPoint to{1700, -130};
    const auto events = posted();
    ASSERT_EQ(events.size(), 1U + 1 + 1421 + 1 + 2 + 1);
    std::vector<std::pair<CGEventType, CGPoint>> ends;
    for (std::size_t i :
         {std::size_t{0}, std::size_t{1}, std::size_t{2}, std::size_t{1422}, std::size_t{1423},
          std::size_t{1424}, std::size_t{1425}, std::size_t{1426}})
        ends.emplace_back(events[i].event.type, events[i].event.location);
    EXPECT_EQ(ends, (std::vector<std::pair<CGEventType, CGPoint>>{
                        {CGEventType::mouseMoved, from},
                        {CGEventType::leftMouseDown, from},
                        {CGEventType::leftMouseDragged, from},
                        {CGEventType::leftMouseDragged, to},
                        {CGEventType::leftMouseUp, to},
                        {CGEventType::leftMouseDown, to},
                        {CGEventType::leftMouseUp, to},
                        {CGEventType::mouseMoved, {2400, 360}},
                    }));
    for (const auto& event : events) {
        EXPECT_EQ(event.tap, platform::CGEventTapLocation::hid);
        EXPECT_EQ(event.event.flags.rawValue() & 0x9E0000, 0U);
        EXPECT_EQ(event.event.mouseButton, platform::CGMouseButton::left);
    }

    // The window server took the space; the editor under the right display's middle came to the
    // front: its "AXFrontmost" write, right after the request, wins the first retry.
    EXPECT_EQ(spaces().displaySpaces("RIGHT")->spaces, (std::vector<SimSpace>{{10}, {2}}));
    EXPECT_EQ(output.lines(), std::vector<std::string>{"Application: Activated in 20ms"});
    const auto& requests = sim::workspace(*world).requests();
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests.front().pid, spacesEditorPid);
    EXPECT_EQ(requests.front().options, platform::activateIgnoringOtherApps);
    EXPECT_EQ(sim::workspace(*world).frontmost(*world), spacesEditorPid);
    // Two frames, the element at the centre, its application's role, the check's window reads
    // and the front-most write.
    EXPECT_EQ(world->roundTripCount(), 8);
}

TEST_F(MissionControlSpaceTest, AnActivationLeftToTheWorkspaceIsPolled) {
    // Without the front-most write taking effect the check waits out the request's latency.
    spaces().showMissionControl(*world);
    world->injectError(world->process(spacesEditorPid)->application->element(), "AXFrontmost",
                       platform::ax::Error::cannotComplete);
    ASSERT_EQ(space(2)->missionControlSpaceAction(Direction::right, left), right);
    scheduler().advance(2);
    EXPECT_EQ(output.lines(), std::vector<std::string>{"Application: Activated in 60ms"});
}

}  // namespace
}  // namespace zoral::desktop
