#include "engine/windows/snap_engine.h"

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "desktop/application.h"
#include "desktop/run_after_delay.h"
#include "desktop/snapped_window_registry.h"
#include "engine/windows/snapping_geometry.h"
#include "sim/workspace.h"
#include "snap_world.h"

namespace zoral::engine {
namespace {

using desktop::Screen;
using platform::CGPoint;
using platform::CGRect;
using platform::CGSize;
using settings::Defaults::Keys;

constexpr GridSpan topRightQuarter{{1, 0}, {2, 1}, {2, 2}};
constexpr GridSpan middleThird{{1, 0}, {2, 1}, {3, 1}};

class SnapEngineTest : public testing::SnapWorldTest {
protected:
    std::optional<SnapRecord> recordOf(const std::shared_ptr<sim::WindowNode>& node) const {
        return SnappedWindows::shared().record(*windowOf(node));
    }
    // The frame the span has on the screen with the current settings.
    static CGRect spanFrame(const Screen& screen, const GridSpan& span) {
        const CGSize size = spanSize(screen.snapFrame, span, currentGridOffset());
        return {spanOrigin(size, screen.snapFrame, span), size};
    }
};

TEST_F(SnapEngineTest, TheHalvesShareTheGapAndTheFirstFrameBeforeSnapIsKept) {
    const CGRect original{200, 150, 600, 400};
    const auto node = addWindow(original);
    const auto window = windowOf(node);

    snap(window, leftHalf, screen(0));
    EXPECT_EQ(frameOf(node), (CGRect{0, 25, 720, 875}));
    snap(window, rightHalf, screen(0));
    EXPECT_EQ(frameOf(node), (CGRect{721, 25, 719, 875})) << "one point between the halves";

    const auto record = recordOf(node);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->frameBeforeSnap, original) << "the frame from before the first snap";
    EXPECT_EQ(record->snappedFrame, (CGRect{721, 25, 719, 875}));
    EXPECT_EQ(record->span, rightHalf);
    EXPECT_EQ(record->screenFrame, screen(0).uiFrame);
    EXPECT_EQ(record->windowNumber, node->windowNumber());
    EXPECT_NE(record->observer, nullptr);
    EXPECT_EQ(SnappedWindows::shared().count(), 1U);

    unsnap(window);
    EXPECT_EQ(frameOf(node), original);
    EXPECT_FALSE(recordOf(node));
}

TEST_F(SnapEngineTest, TheRecordHoldsTheSnappedWindowsOwnNumber) {
    // Two windows of one application with one frame: only the window itself says which is which.
    const CGRect frame{200, 150, 600, 400};
    const auto back = addWindow(frame);
    const auto front = addWindow(frame);
    snap(windowOf(back), leftHalf, screen(0));
    const auto record = recordOf(back);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->windowNumber, back->windowNumber());
    EXPECT_NE(record->windowNumber, front->windowNumber());
}

TEST_F(SnapEngineTest, AWindowThatRefusesTheSpanSizeIsAlignedToTheSpansOuterEdge) {
    struct Case {
        const char* what;
        sim::WindowLimits limits;
        GridSpan span;
        CGRect expected;
    };
    const Case cases[] = {
        {"fixed size, left half: flush left", {.fixedSize = true}, leftHalf, {0, 25, 600, 400}},
        {"fixed size, right half: flush right",
         {.fixedSize = true},
         rightHalf,
         {840, 25, 600, 400}},
        {"fixed size, middle third: centred",
         {.fixedSize = true},
         middleThird,
         {420, 25, 600, 400}},
        {"minimum width beyond the right half: flush right with its own width",
         {.minimum = CGSize{900, 300}},
         rightHalf,
         {540, 25, 900, 875}},
        {"minimum height beyond the top-right quarter: flush top and right",
         {.minimum = CGSize{300, 600}},
         topRightQuarter,
         {721, 25, 719, 600}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto node = addWindow({200, 150, 600, 400}, c.limits);
        snap(windowOf(node), c.span, screen(0));
        EXPECT_EQ(frameOf(node), c.expected);
        // What the record keeps is what the window took.
        EXPECT_EQ(recordOf(node)->snappedFrame, c.expected);
        EXPECT_EQ(snapTargetFrame(*windowOf(node), c.span, screen(0)).origin,
                  c.limits.fixedSize ? c.expected.origin : spanFrame(screen(0), c.span).origin)
            << "the preview knows only fixed sizes";
    }
}

TEST_F(SnapEngineTest, TheTargetFrameTouchesNothing) {
    const auto node = addWindow({200, 150, 600, 400});
    world->resetRoundTrips();
    EXPECT_EQ(snapTargetFrame(*windowOf(node), leftHalf, screen(0)), (CGRect{0, 25, 720, 875}));
    EXPECT_EQ(world->roundTripCount(sim::RoundTrip::setAttributeValue), 0);
    EXPECT_EQ(frameOf(node), (CGRect{200, 150, 600, 400}));
    EXPECT_FALSE(recordOf(node));
}

TEST_F(SnapEngineTest, UnsnapCentresOnTheCurrentScreenWhenLittleOfTheOldFrameIsThere) {
    addExternalDisplay();
    // Mostly on the external display: 40 x 600 of its 800 x 600 lie on the laptop.
    const CGRect original{1400, 100, 800, 600};
    const auto node = addWindow(original);
    const auto window = windowOf(node);
    snap(window, leftHalf, screen(0));

    unsnap(window);
    EXPECT_EQ(frameOf(node), (CGRect{320, 163, 800, 600})) << "centred on the laptop's snap area";
    EXPECT_FALSE(recordOf(node));

    // With more than half of the old frame on the window's screen it simply goes back.
    const auto other = addWindow({100, 100, 800, 600});
    snap(windowOf(other), rightHalf, screen(0));
    unsnap(windowOf(other));
    EXPECT_EQ(frameOf(other), (CGRect{100, 100, 800, 600}));
}

TEST_F(SnapEngineTest, CentringForgetsTheSnapAndUsesThePreSnapSizeOnlyWhenRestoring) {
    const auto node = addWindow({200, 150, 600, 400});
    const auto window = windowOf(node);

    snap(window, leftHalf, screen(0));
    center(window, screen(0), {.restore = true});
    EXPECT_EQ(frameOf(node), (CGRect{420, 263, 600, 400}));
    EXPECT_FALSE(recordOf(node));

    snap(window, leftHalf, screen(0));
    center(window, screen(0));
    EXPECT_EQ(frameOf(node), (CGRect{360, 25, 720, 875})) << "its snapped size, centred";
    EXPECT_FALSE(recordOf(node));

    // Without a record the current size is used, restore or not.
    node->resizeTo(*world, {301, 201});
    center(window, screen(0), {.restore = true});
    EXPECT_EQ(frameOf(node), (CGRect{570, 362, 301, 201})) << "569.5 rounds away from zero";
}

TEST_F(SnapEngineTest, CentringAWindowWhoseSizeCannotBeReadLeavesItAndForgetsTheSnap) {
    const auto node = addWindow({200, 150, 600, 400});
    const auto window = windowOf(node);
    snap(window, leftHalf, screen(0));
    world->injectError(node->element(), "AXSize", platform::ax::cannotComplete);
    output.clear();
    world->resetRoundTrips();

    center(window, screen(0));
    EXPECT_EQ(frameOf(node), (CGRect{0, 25, 720, 875}));
    EXPECT_EQ(world->roundTripCount(sim::RoundTrip::setAttributeValue), 0);
    EXPECT_FALSE(recordOf(node));
    EXPECT_EQ(output.lines(), (std::vector<std::string>{"Window: Cannot center, size unknown",
                                                        "Observer: Destroyed (pid=12)"}));
}

TEST_F(SnapEngineTest, ASnapThatCannotReadTheFrameWritesAndRecordsNothing) {
    struct Row {
        const char* cause;
        std::function<void(sim::World&, const std::shared_ptr<sim::WindowNode>&)> breakIt;
    };
    const std::vector<Row> rows{
        {"the frame cannot be read",
         [](sim::World& desktop, const auto& node) {
             desktop.injectError(node->element(), "AXFrame", platform::ax::cannotComplete);
         }},
        {"the application does not answer",
         [](sim::World& desktop, const auto&) { desktop.process(editorPid)->hung = true; }},
        {"the permission is revoked",
         [](sim::World& desktop, const auto&) { desktop.setTrusted(false); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.cause);
        const auto node = addWindow({200, 150, 600, 400});
        const auto window = windowOf(node);
        row.breakIt(*world, node);
        output.clear();
        world->resetRoundTrips();
        snap(window, leftHalf, screen(0), {.moveCursor = true});
        EXPECT_EQ(world->roundTripCount(sim::RoundTrip::setAttributeValue), 0);
        EXPECT_EQ(output.lines(), std::vector<std::string>{"Window: Cannot snap, frame unknown"});
        world->clearInjectedErrors();
        world->process(editorPid)->hung = false;
        world->setTrusted(true);
        EXPECT_EQ(frameOf(node), (CGRect{200, 150, 600, 400}));
        EXPECT_FALSE(recordOf(node));
    }
}

TEST_F(SnapEngineTest, ASnapWhoseWindowCannotBeReadBackRecordsNothing) {
    // The window goes while it is being placed: nothing is known of where it is.
    const auto node = addWindow({200, 150, 600, 400});
    const auto window = windowOf(node);
    world->addLatencyRule(
        {.pid = editorPid, .kind = sim::RoundTrip::setAttributeValue, .seconds = 0.01});
    desktop::runAfterDelay(platform::DispatchQueue::global(), 0.005, [&] { node->close(*world); });
    output.clear();
    snap(window, leftHalf, screen(0));
    EXPECT_EQ(SnappedWindows::shared().count(), 0U);
    EXPECT_EQ(output.lines(), std::vector<std::string>{"Window: Snapped frame unknown"});
}

TEST_F(SnapEngineTest, NoRestoreWritesAnEmptySize) {
    // A record whose frame from before the snap is empty, as an older snap could leave one.
    const auto node = addWindow({200, 150, 600, 400});
    const auto recordEmpty = [&] {
        SnappedWindows::shared().insert(windowOf(node), {.windowNumber = std::nullopt,
                                                         .span = leftHalf,
                                                         .frameBeforeSnap = {},
                                                         .snappedFrame = frameOf(node),
                                                         .screenFrame = screen(0).uiFrame,
                                                         .observer = nullptr});
    };
    recordEmpty();
    center(windowOf(node), screen(0), {.restore = true});
    EXPECT_EQ(frameOf(node).size, (CGSize{600, 400})) << "centred at its own size";
    EXPECT_FALSE(recordOf(node));

    recordEmpty();
    world->resetRoundTrips();
    unsnap(windowOf(node));
    EXPECT_EQ(world->roundTripCount(sim::RoundTrip::setAttributeValue), 0);
    EXPECT_EQ(frameOf(node).size, (CGSize{600, 400}));
    EXPECT_FALSE(recordOf(node));

    // A window that reads as empty is not centred at that size either.
    node->set("AXSize", CGSize{0, 0});
    world->resetRoundTrips();
    center(windowOf(node), screen(0));
    EXPECT_EQ(world->roundTripCount(sim::RoundTrip::setAttributeValue), 0);
}

TEST_F(SnapEngineTest, ResnappingSkipsAWindowWhoseFrameCannotBeReadAndKeepsItsRecord) {
    const auto node = addWindow({200, 150, 600, 400});
    snap(windowOf(node), leftHalf, screen(0));
    world->injectError(node->element(), "AXFrame", platform::ax::cannotComplete);
    world->resetRoundTrips();
    resnapAllWindows();
    EXPECT_EQ(world->roundTripCount(sim::RoundTrip::setAttributeValue), 0);
    ASSERT_TRUE(recordOf(node));
    EXPECT_EQ(recordOf(node)->frameBeforeSnap, (CGRect{200, 150, 600, 400}));
}

TEST_F(SnapEngineTest, ResnappingPlacesEveryWindowOnTheNewGridAndKeepsTheOldFrames) {
    const CGRect originals[] = {{10, 40, 500, 300}, {300, 200, 640, 480}, {50, 60, 700, 500}};
    const GridSpan spans[] = {leftHalf, topRightQuarter, {{0, 1}, {1, 2}, {2, 2}}};
    std::vector<std::shared_ptr<sim::WindowNode>> nodes;
    for (std::size_t index = 0; index < 3; ++index) {
        nodes.push_back(addWindow(originals[index]));
        snap(windowOf(nodes.back()), spans[index], screen(0));
    }

    // A larger display and a wider offset with edges.
    sim::Displays::of(*world).setDisplays(
        {{.number = 1, .uuid = "LAPTOP", .frame = {0, 0, 1920, 1200}, .menuBarHeight = 25}});
    settings::Defaults::writeValue(Keys::gridOffset(), std::int64_t{4});
    reinitializeScreens();
    resnapAllWindows();

    for (std::size_t index = 0; index < 3; ++index) {
        SCOPED_TRACE(index);
        EXPECT_EQ(frameOf(nodes[index]), spanFrame(screen(0), spans[index]));
        const auto record = recordOf(nodes[index]);
        ASSERT_TRUE(record);
        EXPECT_EQ(record->frameBeforeSnap, originals[index]);
        EXPECT_EQ(record->span, spans[index]);
    }
    // The gap is the offset now.
    EXPECT_EQ(frameOf(nodes[1]).minX() - frameOf(nodes[0]).maxX(), 4);

    unsnapAllWindows();
    for (std::size_t index = 0; index < 3; ++index)
        EXPECT_EQ(frameOf(nodes[index]), originals[index]);
    EXPECT_EQ(SnappedWindows::shared().count(), 0U);

    world->resetRoundTrips();
    resnapAllWindows();
    EXPECT_EQ(world->roundTripCount(), 0) << "nothing to do with an empty registry";
}

TEST_F(SnapEngineTest, ThePointerFollowsTheWindowWhenAsked) {
    const auto node = addWindow({200, 150, 600, 400});
    snap(windowOf(node), leftHalf, screen(0), {.moveCursor = true});
    center(windowOf(node), screen(0), {.moveCursor = true, .restore = true});
    snap(windowOf(node), rightHalf, screen(0));
    EXPECT_EQ(input().warps(), (std::vector<CGPoint>{{360, 25 + 26}, {720, 263 + 26}}));
}

TEST_F(SnapEngineTest, ActivatingBringsTheApplicationInFrontAndWaitsForTheFocus) {
    world->addProcess(20, "org.example.other", "Other");
    sim::workspace(*world).activateNow(*world, 20);
    const auto first = addWindow({200, 150, 600, 400});
    const auto second = addWindow({300, 150, 600, 400});
    snap(windowOf(first), leftHalf, screen(0), {.activate = true});
    EXPECT_EQ(frameOf(first), (CGRect{0, 25, 720, 875})) << "the frame does not wait";
    settle(1);
    EXPECT_TRUE(platform::runningApplicationWithProcessIdentifier(editorPid)->active);
    EXPECT_EQ(windowOf(first)->boolAttribute("AXMain"), true);
    EXPECT_EQ(windowOf(second)->boolAttribute("AXMain"), false);
    std::vector<std::string> focused;
    for (const auto& line : output.lines()) {
        if (line.rfind("Window: Focused in ", 0) == 0)
            focused.push_back(line);
    }
    EXPECT_EQ(focused, (std::vector<std::string>{"Window: Focused in 50ms"}));
}

TEST_F(SnapEngineTest, QuittingAnApplicationUnsnapsItsWindowsThroughTheRegistry) {
    const CGRect original{200, 150, 600, 400};
    const auto node = addWindow(original);
    snap(windowOf(node), leftHalf, screen(0));
    desktop::SnappedWindowRegistry& seen = desktop::SnappedWindowRegistry::shared();
    EXPECT_TRUE(seen.isSnapped(*windowOf(node)));
    EXPECT_EQ(seen.frameBeforeSnap(*windowOf(node)), original);

    desktop::Application::applicationForPID(editorPid)->quit();
    EXPECT_EQ(frameOf(node), original);
    EXPECT_FALSE(seen.isSnapped(*windowOf(node)));
    EXPECT_EQ(seen.count(), 0U);
}

}  // namespace
}  // namespace zoral::engine
