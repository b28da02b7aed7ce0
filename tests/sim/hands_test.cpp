#include "sim/hands.h"

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/accessibility.h"
#include "platform/events.h"
#include "platform/run_loop.h"
#include "platform/window_list.h"
#include "sim/displays.h"
#include "sim/input_pipeline.h"
#include "sim/window_drags.h"
#include "sim/window_node.h"
#include "sim/world.h"
#include "support/virtual_clock.h"

namespace zoral::sim {
namespace {

namespace ax = platform::ax;
using platform::CGEventFlags;
using platform::CGPoint;
using platform::CGRect;
using platform::CGSize;

// What an observer of the window heard, with the buttons and flags held when it was told.
struct Heard {
    std::string notification;
    std::uint64_t buttons;
    CGEventFlags flags;
    CGRect frame;
};

class HandsTest : public zoral::testing::VirtualClockTest {
protected:
    HandsTest() {
        Displays::of(*world).setDisplays({Display{.number = 1, .frame = {0, 0, 1440, 900}}});
        world->addProcess(5, "org.example.editor", "Editor");
        window = world->makeNode<WindowNode>(5, 50, WindowLimits{.minimum = CGSize{300, 200}});
        window->moveTo(*world, {100, 100});
        window->resizeTo(*world, {400, 300});
        world->process(5)->application->appendChild(window);
        // The set-up's own notifications are posted before anyone listens.
        scheduler().runUntilIdle();
        observer =
            ax::observerCreateWithInfoCallback(5, [this](const ax::ObserverRef&, ax::Element,
                                                         const std::string& name, const ax::Info&,
                                                         const ax::ObserverUserData&) {
                heard.push_back({name, platform::pressedMouseButtons(),
                                 platform::eventSourceFlagsState(), *window->frame()});
            }).value();
        platform::RunLoop::main().addSource(ax::observerGetRunLoopSource(observer),
                                            platform::RunLoopMode::defaultMode);
        for (const char* name : {"AXMoved", "AXResized"})
            EXPECT_EQ(ax::observerAddNotification(observer, window->element(), name, {}),
                      ax::success);
    }
    ~HandsTest() override {
        platform::RunLoop::main().removeSource(ax::observerGetRunLoopSource(observer),
                                               platform::RunLoopMode::defaultMode);
    }

    Hands& hands() { return Hands::of(*world); }

    // Runs the clock until the hands rest.
    void finish() {
        scheduler().runUntil([&] { return !hands().isBusy(); }, 10);
        scheduler().runUntilIdle();
    }

    std::vector<std::string> names() const {
        std::vector<std::string> result;
        for (const Heard& h : heard)
            result.push_back(h.notification);
        return result;
    }

    ScopedWorld world;
    std::shared_ptr<WindowNode> window;
    ax::ObserverRef observer;
    std::vector<Heard> heard;
};

TEST_F(HandsTest, ATitleBarDragMovesTheWindowStepByStepWithTheButtonAndFlagsHeld) {
    const CGEventFlags option = CGEventFlags::maskAlternate;
    hands().dragWindow(*window, {50, 20}, 5, option, 0.02);
    EXPECT_EQ(platform::pressedMouseButtons(), 1u) << "the button is held at once";
    EXPECT_TRUE(platform::eventSourceFlagsState().contains(option));
    finish();

    ASSERT_EQ(names(), std::vector<std::string>(5, "AXMoved"));
    for (std::size_t i = 0; i < heard.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(heard[i].buttons, 1u);
        EXPECT_TRUE(heard[i].flags.contains(option));
        const double step = static_cast<double>(i + 1) / 5;
        EXPECT_EQ(heard[i].frame.origin, (CGPoint{100 + 50 * step, 100 + 20 * step}));
    }
    EXPECT_EQ(window->frame(), CGRect(150, 120, 400, 300));
    EXPECT_EQ(platform::pressedMouseButtons(), 0u);
    EXPECT_TRUE(platform::eventSourceFlagsState().isEmpty());

    // The on-screen list tells the window by its number, where its frame says it is.
    const auto list = platform::windowListCopyWindowInfo(platform::windowListOptionOnScreenOnly, 0);
    ASSERT_EQ(list->size(), 1u);
    EXPECT_EQ(list->front().at("kCGWindowNumber"), platform::PlistObject::integer(50));
    const auto& bounds = list->front().at("kCGWindowBounds");
    EXPECT_EQ(*bounds.find("X"), platform::PlistObject::real(150));
    EXPECT_EQ(*bounds.find("Y"), platform::PlistObject::real(120));

    // The program's own frame writes notify alike, with no button held.
    heard.clear();
    ASSERT_EQ(ax::setAttributeValue(window->element(), "AXPosition", CGPoint{0, 30}), ax::success);
    ASSERT_EQ(ax::setAttributeValue(window->element(), "AXSize", CGSize{500, 300}), ax::success);
    scheduler().runUntilIdle();
    EXPECT_EQ(names(), (std::vector<std::string>{"AXMoved", "AXResized"}));
    EXPECT_EQ(heard[0].buttons, 0u);
    EXPECT_EQ(heard[1].buttons, 0u);
}

TEST_F(HandsTest, EdgesAndCornersResizeWithinTheLimitsKeepingTheOppositeEdges) {
    struct Case {
        const char* what;
        std::uint8_t edges;
        CGPoint delta;
        CGRect frame;
    };
    const Case cases[] = {
        {"right edge out", rightEdge, {50, 0}, {100, 100, 450, 300}},
        {"left edge out", leftEdge, {-30, 0}, {70, 100, 430, 300}},
        {"bottom-left corner", leftEdge | bottomEdge, {20, 40}, {120, 100, 380, 340}},
        {"top edge down", topEdge, {0, 60}, {100, 160, 400, 240}},
        {"right edge past the minimum", rightEdge, {-200, 0}, {100, 100, 300, 300}},
        {"left edge past the minimum", leftEdge, {200, 0}, {200, 100, 300, 300}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        window->moveTo(*world, {100, 100});
        window->resizeTo(*world, {400, 300});
        scheduler().runUntilIdle();
        heard.clear();
        hands().resizeWindow(*window, c.edges, c.delta, 4);
        finish();
        EXPECT_EQ(window->frame(), c.frame);
        ASSERT_FALSE(heard.empty());
        for (const Heard& h : heard)
            EXPECT_EQ(h.buttons, 1u) << h.notification;
    }

    // A fixed-size window is only moved by its title bar: its edges do nothing.
    window->setLimits({.fixedSize = true});
    const CGRect fixed = *window->frame();
    hands().resizeWindow(*window, rightEdge, {80, 0}, 2);
    finish();
    EXPECT_EQ(window->frame(), fixed);
}

TEST_F(HandsTest, TrackpadStrokesCarryPhasesMomentumAndTouches) {
    struct Recorder : EventTap {
        std::vector<platform::CGEvent> seen;
        std::optional<platform::CGEvent> filter(const platform::CGEvent& event) override {
            seen.push_back(event);
            return event;
        }
    };
    auto tap = std::make_shared<Recorder>();
    InputPipeline::of(*world).addTap(tap);
    using platform::NSEventPhase;
    hands().scrollStroke({0, -8}, 3, 2, 0.01);
    finish();
    std::vector<std::pair<NSEventPhase, NSEventPhase>> phases;
    std::vector<double> deltas;
    int gestures = 0;
    for (const auto& event : tap->seen) {
        if (event.type == platform::gestureEventType) {
            ++gestures;
            EXPECT_EQ(event.touches.size(), 2u);
            continue;
        }
        phases.emplace_back(event.phase, event.momentumPhase);
        deltas.push_back(event.scrollingDeltaY);
        EXPECT_TRUE(event.isDirectionInvertedFromDevice);
    }
    EXPECT_EQ(gestures, 4) << "the fingers land, move twice and lift";
    using P = std::pair<NSEventPhase, NSEventPhase>;
    EXPECT_EQ(phases, (std::vector<P>{{NSEventPhase::began, NSEventPhase::none},
                                      {NSEventPhase::changed, NSEventPhase::none},
                                      {NSEventPhase::changed, NSEventPhase::none},
                                      {NSEventPhase::ended, NSEventPhase::none},
                                      {NSEventPhase::none, NSEventPhase::began},
                                      {NSEventPhase::none, NSEventPhase::changed},
                                      {NSEventPhase::none, NSEventPhase::ended}}));
    EXPECT_EQ(deltas, (std::vector<double>{-8, -8, -8, 0, -4, -2, 0}));
    EXPECT_NEAR(tap->seen.back().timestamp - tap->seen.front().timestamp, 0.06, 1e-9);

    tap->seen.clear();
    hands().pinchStroke(0.05, 2);
    finish();
    ASSERT_EQ(tap->seen.size(), 3u);
    EXPECT_EQ(platform::toolkitType(tap->seen[0]), platform::NSEventType::magnify);
    EXPECT_EQ(tap->seen[1].magnification, 0.05);
    EXPECT_EQ(tap->seen[2].phase, NSEventPhase::ended);
}

}  // namespace
}  // namespace zoral::sim
