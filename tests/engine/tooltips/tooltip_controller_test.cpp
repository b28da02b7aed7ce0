// The controller over time: which container is up, fades on the virtual clock, the cursor hidden
// for the tooltips, and the live snapping preview.

#include <algorithm>

#include <gtest/gtest.h>

#include "engine/windows/snap_engine.h"
#include "tooltip_world.h"

namespace zoral::engine::testing {
namespace {

using desktop::Direction;
using Kind = Action::Kind;
using Keys = settings::Defaults::Keys;

class TooltipControllerTest : public TooltipWorldTest {
protected:
    static constexpr CGPoint pointer{720, 450};

    // An action set for a gesture, as the gesture shows it.
    void propose(const Action& action) {
        controller->hide();
        controller->update(action, {.show = true, .state = true, .clear = false}, pointer);
    }
    std::vector<platform::WindowNumber> seenNumbers() const {
        std::vector<platform::WindowNumber> numbers;
        for (const auto& window : seen())
            numbers.push_back(window.number);
        return numbers;
    }
};

TEST_F(TooltipControllerTest, ASnapThenACloseClosesTheWindowTooltipBeforeTheCircleShows) {
    const Action snap = Action::snap({{0, 0}, {1, 1}, {2, 1}});
    propose(snap);
    EXPECT_EQ(seenNumbers(), std::vector{windowTooltip()->windowNumber()});
    EXPECT_EQ(windowTooltip()->frame(), (CGRect{700, 435, 40, 30}));

    const auto& orderings = sim::ProgramWindows::of(*world).orderings();
    const std::size_t before = orderings.size();
    propose(Action(Kind::close));
    EXPECT_EQ(seenNumbers(), std::vector{circle()->windowNumber()});
    // The window tooltip went first; the circle came last.
    const std::vector<sim::ProgramWindowOrdering> asked(
        orderings.begin() + static_cast<std::ptrdiff_t>(before), orderings.end());
    ASSERT_FALSE(asked.empty());
    EXPECT_EQ(asked.back(), (sim::ProgramWindowOrdering{circle()->windowNumber(), true}));
    EXPECT_NE(std::find(asked.begin(), asked.end(),
                        sim::ProgramWindowOrdering{windowTooltip()->windowNumber(), false}),
              asked.end());
    EXPECT_EQ(circle()->vfxLayer().maskImage, "TooltipX");

    // Executed: redrawn where it stands in the inactive colour, not brought up again.
    controller->update(Action(Kind::close), {.show = false, .state = false, .clear = false},
                       pointer);
    EXPECT_FALSE(circle()->isEnabled());
    EXPECT_TRUE(seen(*circle()));
    // Dropped: emptied.
    controller->update(Action(Kind::close), {.show = false, .state = true, .clear = true}, pointer);
    EXPECT_EQ(circle()->vfxLayer(), ui::Layer{});
    EXPECT_FALSE(circle()->isEnabled()) << "clearing leaves the flag as it was";

    // A hidden tooltip is redrawn and placed, and stays hidden without show.
    controller->update(snap, {.show = false, .state = true, .clear = false}, {100, 100});
    EXPECT_FALSE(seen(*windowTooltip()));
    EXPECT_FALSE(seen(*circle()));
    EXPECT_EQ(windowTooltip()->frame(), (CGRect{80, 85, 40, 30}));
    EXPECT_EQ(windowTooltip()->vfxLayer().frame, (CGRect{0, 0, 20, 30}));
}

TEST_F(TooltipControllerTest, TooltipsFadeOnTheClockAtTheActionsPace) {
    struct Case {
        TooltipFade fade;
        std::optional<Action> action;
        double seconds;
    };
    const Case cases[] = {
        {TooltipFade::immediate, std::nullopt, 0.0},
        {TooltipFade::quick, std::nullopt, 0.1},
        {TooltipFade::normal, Action(Kind::fullscreen), 0.3},
        {TooltipFade::byAction, std::nullopt, 0.3},
        {TooltipFade::byAction, Action(Kind::close), 0.3},
        {TooltipFade::byAction, Action::snap({{0, 0}, {1, 1}, {2, 1}}), 0.3},
        {TooltipFade::byAction, Action(Kind::fullscreen), 0.1},
        {TooltipFade::byAction, Action(Kind::unfullscreen), 0.1},
        {TooltipFade::byAction, Action(Kind::minimizeFS), 0.1},
        {TooltipFade::byAction, Action(Kind::sendToFullscreen, Direction::right), 0.1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.action ? c.action->description() : "no action");
        EXPECT_EQ(tooltipFadeDuration(c.fade, c.action), c.seconds);
    }

    for (const Action& action : {Action(Kind::close), Action(Kind::fullscreen)}) {
        SCOPED_TRACE(action.description());
        propose(action);
        const double d = tooltipFadeDuration(TooltipFade::byAction, action);
        controller->fadeTooltips(d);
        EXPECT_TRUE(circle()->isFading());
        scheduler().advance(d * 0.5);
        ASSERT_TRUE(seen(*circle()));
        EXPECT_GT(seen(*circle())->alpha, 0);
        EXPECT_LT(seen(*circle())->alpha, 1);
        scheduler().advance(d * 0.5);
        EXPECT_FALSE(seen(*circle())) << "off screen when the fade ends";
        EXPECT_FALSE(circle()->isVisible());
        EXPECT_FALSE(circle()->isFading());
    }
}

TEST_F(TooltipControllerTest, AnInterruptedFadeLeavesTheTooltipUpAndOpaque) {
    propose(Action(Kind::minimize));
    controller->fadeTooltips(0.3);
    scheduler().advance(0.1);
    propose(Action(Kind::minimize));
    scheduler().advance(1);
    ASSERT_TRUE(seen(*circle()));
    EXPECT_EQ(seen(*circle())->alpha, 1);
    EXPECT_FALSE(circle()->isFading());

    // Closed during a fade, it stays closed when the fade would have ended.
    controller->fadeTooltips(0.3);
    scheduler().advance(0.1);
    circle()->close();
    scheduler().advance(1);
    EXPECT_FALSE(seen(*circle()));
    propose(Action(Kind::minimize));
    EXPECT_EQ(seen(*circle())->alpha, 1);
}

TEST_F(TooltipControllerTest, TheCursorHidesOnceForAGestureAndReturnsAfterTheFade) {
    propose(Action::snap({{0, 0}, {1, 1}, {2, 1}}));
    propose(Action::snap({{1, 0}, {2, 1}, {2, 1}}));
    EXPECT_FALSE(cursor().isVisible());
    EXPECT_EQ(cursor().hideCalls(), 1) << "two actions in a row hide it once";
    EXPECT_TRUE(controller->isHidingCursor());

    controller->fadeTooltips(0.3);
    scheduler().advance(0.29);
    EXPECT_FALSE(cursor().isVisible());
    scheduler().advance(0.01);
    EXPECT_TRUE(cursor().isVisible()) << "back when the fade ends";
    EXPECT_FALSE(controller->isHidingCursor());

    // A new gesture before the cursor is back keeps it hidden.
    propose(Action(Kind::close));
    controller->fadeTooltips(0.3);
    scheduler().advance(0.1);
    propose(Action(Kind::close));
    scheduler().advance(1);
    EXPECT_FALSE(cursor().isVisible());
    EXPECT_EQ(cursor().hideCalls(), 2);
    EXPECT_EQ(cursor().unhideCalls(), 1);

    controller->unhideCursor();
    controller->unhideCursor();
    EXPECT_EQ(cursor().unhideCalls(), 2) << "only what this controller hid";
    EXPECT_TRUE(cursor().isVisible());
}

TEST_F(TooltipControllerTest, TheCursorStaysWhenTheUserKeepsIt) {
    set(Keys::tooltipHideCursor(), false);
    propose(Action(Kind::close));
    controller->fadeTooltips(0.3);
    EXPECT_FALSE(controller->unhideCursorDispatchItem().pendingItem) << "nothing scheduled";
    scheduler().advance(1);
    EXPECT_EQ(cursor().hideCalls(), 0);
    EXPECT_EQ(cursor().unhideCalls(), 0);
    EXPECT_FALSE(seen(*circle())) << "the tooltips fade all the same";

    // A tooltip up when the user turned tooltips off goes with the fade all the same; the cursor,
    // never hidden, is not touched.
    set(Keys::tooltipHideCursor(), true);
    controller->update(Action(Kind::close), {.show = true, .state = true, .clear = false}, pointer);
    set(Keys::tooltipShow(), false);
    controller->fadeTooltips(0.3);
    EXPECT_FALSE(controller->unhideCursorDispatchItem().pendingItem);
    scheduler().advance(1);
    EXPECT_FALSE(seen(*circle()));
    EXPECT_EQ(cursor().unhideCalls(), 0);
}

// The user changes the settings while a gesture's preview is up: the fade undoes what was shown
// and hidden, not what the settings would show now.
TEST_F(TooltipControllerTest, TheFadeUndoesWhatWasShownWhateverTheSettingsSayNow) {
    const settings::Defaults::Key<bool>* turnedOff[] = {&Keys::tooltipShow(), &Keys::tooltipLive(),
                                                        &Keys::tooltipHideCursor()};
    const auto node = addWindow({100, 10, 600, 400});
    const Action snap = Action::snap({{0, 0}, {1, 1}, {2, 1}});
    for (const auto* key : turnedOff) {
        SCOPED_TRACE(key->name());
        propose(snap);
        controller->livePreview(snap, windowOf(node), desktop::Screen::screens().at(0));
        ASSERT_TRUE(seen(*windowTooltip()));
        ASSERT_TRUE(seen(*live()));
        ASSERT_FALSE(cursor().isVisible());

        set(*key, false);
        controller->fadeTooltips(0.3);
        scheduler().advance(0.3);
        EXPECT_TRUE(seen().empty());
        EXPECT_TRUE(cursor().isVisible());
        EXPECT_FALSE(live()->isShowing());
        set(*key, true);
    }
}

TEST_F(TooltipControllerTest, ADroppedControllerGivesTheCursorBack) {
    propose(Action(Kind::close));
    controller->fadeTooltips(0.3);
    controller.reset();
    EXPECT_TRUE(cursor().isVisible());
    scheduler().advance(1);
    EXPECT_EQ(cursor().unhideCalls(), 1);
}

class LivePreviewTest : public TooltipControllerTest {
protected:
    // Its top runs under the menu bar, so the preview starts clipped to the visible frame.
    const std::shared_ptr<sim::WindowNode> node = addWindow({100, 10, 600, 400});
    const std::shared_ptr<desktop::Window> window = windowOf(node);
    const desktop::Screen screen = desktop::Screen::screens().at(0);

    CGRect target(const GridSpan& span) const {
        return desktop::flip(snapTargetFrame(*window, span, screen));
    }
};

TEST_F(LivePreviewTest, GrowsOutOfTheWindowAndGlidesToEachTarget) {
    const GridSpan left{{0, 0}, {1, 1}, {2, 1}};
    const GridSpan right{{1, 0}, {2, 1}, {2, 1}};
    controller->livePreview(Action::snap(left), window, screen);
    ASSERT_TRUE(seen(*live()));
    EXPECT_TRUE(live()->isShowing());
    // (100, 10, 600, 400) top-left is (100, 490, 600, 400) bottom-left; the visible frame ends
    // 25 points below the top.
    EXPECT_EQ(live()->frame(), (CGRect{100, 490, 600, 385}));
    EXPECT_EQ(seen(*live())->style.level, 3) << "floating, below the tooltips";

    scheduler().advance(0.025);
    EXPECT_NE(live()->frame(), target(left));
    scheduler().advance(0.025);
    EXPECT_EQ(live()->frame(), target(left)) << "after \"tooltipAnimationTime\"";
    EXPECT_EQ(seen(*live())->frame, target(left));
    EXPECT_EQ(*node->frame(), (CGRect{100, 10, 600, 400})) << "the window itself stays";

    // The next target: from where the preview stands, not from the window again.
    controller->livePreview(Action::snap(right), window, screen);
    EXPECT_EQ(live()->frame(), target(left));
    scheduler().advance(0.025);
    EXPECT_GT(live()->frame().minX(), target(left).minX());
    EXPECT_LT(live()->frame().minX(), target(right).minX());
    scheduler().advance(0.025);
    EXPECT_EQ(live()->frame(), target(right));

    // Another action: the preview fades out over 0.3 s.
    controller->livePreview(Action(Kind::close), window, screen);
    scheduler().advance(0.2);
    ASSERT_TRUE(seen(*live()));
    EXPECT_LT(seen(*live())->alpha, 1);
    scheduler().advance(0.1);
    EXPECT_FALSE(seen(*live()));
    EXPECT_FALSE(live()->isShowing());

    // Shown afresh, it starts from the window's frame again.
    controller->livePreview(Action::snap(right), window, screen);
    EXPECT_EQ(live()->frame(), (CGRect{100, 490, 600, 385}));
    EXPECT_EQ(seen(*live())->alpha, 1);
}

TEST_F(LivePreviewTest, APreviewDuringTheFadeOutKeepsItUp) {
    const GridSpan left{{0, 0}, {1, 1}, {2, 1}};
    controller->livePreview(Action::snap(left), window, screen);
    controller->fadeTooltips(0.3);
    EXPECT_TRUE(live()->isFading());
    scheduler().advance(0.1);
    controller->livePreview(Action::snap(left), window, screen);
    scheduler().advance(1);
    ASSERT_TRUE(seen(*live()));
    EXPECT_EQ(seen(*live())->alpha, 1);
    EXPECT_TRUE(live()->isShowing());

    // Without a window there is nothing to outline.
    controller->livePreview(Action::snap(left), nullptr, screen);
    scheduler().advance(0.3);
    EXPECT_FALSE(seen(*live()));
}

TEST_F(LivePreviewTest, NothingIsOutlinedWhenTheUserTurnedItOff) {
    set(Keys::tooltipLive(), false);
    controller->livePreview(Action::snap({{0, 0}, {1, 1}, {2, 1}}), window, screen);
    EXPECT_FALSE(seen(*live()));
    EXPECT_FALSE(live()->isShowing());
}

TEST_F(LivePreviewTest, AWindowOutsideTheVisibleFrameStartsUnclipped) {
    node->set("AXPosition", CGPoint{2000, 100});
    controller->livePreview(Action::snap({{0, 0}, {1, 1}, {2, 1}}), window, screen);
    EXPECT_EQ(live()->frame(), (CGRect{2000, 400, 600, 400}));
}

}  // namespace
}  // namespace zoral::engine::testing
