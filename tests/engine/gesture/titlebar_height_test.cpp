// The title-bar height behind the `titlebar` origin: measured from a toolbar or from the close
// button, cached per application, the default otherwise; the frame check that comes first; the
// origin of a hotkey; the screen an origin is on.

#include <set>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "desktop/system_wide.h"
#include "engine/gesture/origin_classification.h"
#include "origin_world.h"
#include "sim/spaces.h"

namespace zoral::engine::testing {
namespace {

using settings::Defaults::Keys;
using settings::Defaults::writeValue;
using ::testing::ElementsAre;
namespace ax = platform::ax;

class TitlebarHeightTest : public OriginWorldTest {
public:
    // A window of the editor whose title strip of 28 points has a 52-point toolbar below it.
    std::shared_ptr<sim::WindowNode> addExpandedToolbarWindow() {
        auto window = addWindow(editorPid, cell(2, 2));
        sim::WindowParts::addTitleBarButtons(*world, window);
        sim::WindowParts::addToolbar(*world, window, 28, 52, {"Back", "Forward"});
        sim::WindowParts::addContent(*world, window, 80);
        return window;
    }
};

TEST_F(TitlebarHeightTest, MeasuredFromAToolbarBelowTheTitleStrip) {
    const auto window = addExpandedToolbarWindow();

    // 70 points down is within the toolbar's reach: a start on the strip above it is a title bar.
    const auto origin = originAt(below(window, 10));
    ASSERT_TRUE(origin);
    EXPECT_EQ(origin->type, OriginType::titlebar);
    EXPECT_THAT(originLines(),
                ElementsAre("Origin: Special height 80.0 cached for org.example.editor"));
    EXPECT_EQ(titlebarHeightCache().at(editorIdentifier), 80.0);
    // The toolbar itself is a toolbar origin, measured or not.
    EXPECT_EQ(originAt(below(window, 70, 400))->type, OriginType::toolbar);
}

TEST_F(TitlebarHeightTest, MeasuredFromTheCloseButtonsMidpoint) {
    // The plain window's close button is centred 13.5 points below the top: 28.0.
    ASSERT_EQ(originAt(below(plain, 27))->type, OriginType::titlebar);
    EXPECT_THAT(originLines(),
                ElementsAre("Origin: Special height 28.0 cached for org.example.editor"));
    EXPECT_FALSE(originAt(below(plain, 29)).has_value());
}

TEST_F(TitlebarHeightTest, ACachedHeightStandsInWhereNothingMeasures) {
    // Without a cache entry the bare window has 23 points: 25 below the top is outside.
    EXPECT_FALSE(originAt(below(bare, 25)).has_value());
    EXPECT_THAT(originLines(), ElementsAre("Origin: Default height used for org.example.editor"));

    // Once a window of the editor measured 28 points, the bare window takes them.
    ASSERT_TRUE(originAt(below(plain, 10)));
    output.clear();
    const auto origin = originAt(below(bare, 25));
    ASSERT_TRUE(origin);
    EXPECT_EQ(origin->type, OriginType::titlebar);
    EXPECT_THAT(originLines(),
                ElementsAre("Origin: Special height 28.0 used for org.example.editor"));
}

TEST_F(TitlebarHeightTest, AFullScreenWindowLeavesTheCacheAlone) {
    plain->set("AXFullScreen", true);
    ASSERT_EQ(originAt(below(plain, 10))->type, OriginType::titlebar);
    EXPECT_TRUE(titlebarHeightCache().empty());
    EXPECT_TRUE(originLines().empty());
}

TEST_F(TitlebarHeightTest, TheCloseButtonAttributeMeasuresWhereTheButtonLiesDeeper) {
    // The close button lies two groups down, out of reach of the descendants: only the window's
    // attribute names it.
    using sim::WindowParts;
    const auto outer =
        WindowParts::addPart(*world, bare, bare, "AXGroup", sim::stretchedPart(0, 28));
    const auto inner =
        WindowParts::addPart(*world, bare, outer, "AXGroup", sim::stretchedPart(0, 28));
    const auto button =
        WindowParts::addPart(*world, bare, inner, "AXButton", sim::fixedPart({300, 5.5, 14, 16}));
    button->set("AXSubrole", std::string("AXCloseButton"));
    bare->set("AXCloseButton", ax::Value(button->element()));

    // An attribute that cannot be read skips the measure.
    world->injectError(bare->element(), "AXCloseButton", ax::cannotComplete);
    EXPECT_FALSE(originAt(below(bare, 25, 100)).has_value());
    EXPECT_THAT(originLines(), ElementsAre("Origin: Default height used for org.example.editor"));

    world->clearInjectedErrors();
    output.clear();
    ASSERT_TRUE(originAt(below(bare, 25, 100)).has_value());
    EXPECT_THAT(originLines(),
                ElementsAre("Origin: Special height 28.0 cached for org.example.editor"));
}

TEST_F(TitlebarHeightTest, AnElementOutsideItsOwnFrameStandsForTheAncestorThatHoldsThePointer) {
    // The close button answers no frame: the window, which holds the pointer, stands in for it,
    // and a start there is on the title bar, not on the traffic lights.
    world->injectError(plainButtons.close->element(), "AXFrame", ax::noValue);
    const auto origin = originAt(centre(plainButtons.close));
    ASSERT_TRUE(origin);
    EXPECT_EQ(origin->type, OriginType::titlebar);
    EXPECT_TRUE(is(origin->element, plain));
    const auto lines = originLines();
    ASSERT_EQ(lines.size(), 3U);
    EXPECT_TRUE(lines[0].starts_with("Origin: Cursor not in frame of element <AXButton"))
        << lines[0];
    EXPECT_TRUE(lines[1].starts_with("Origin: Changed element to <AXWindow")) << lines[1];
}

TEST_F(TitlebarHeightTest, WithNoAncestorHoldingThePointerTheElementFoundStays) {
    // Neither the button nor any of its ancestors answers a frame.
    for (const auto& node : std::vector<std::shared_ptr<sim::Node>>{plainButtons.close, plain})
        world->injectError(node->element(), "AXFrame", ax::noValue);
    const auto origin = originAt(centre(plainButtons.close));
    ASSERT_TRUE(origin);
    EXPECT_EQ(origin->type, OriginType::trafficLights);
    EXPECT_TRUE(is(origin->element, plainButtons.close));
    EXPECT_EQ(originLines().size(), 1U);
}

// --- The origin of a hotkey

TEST_F(TitlebarHeightTest, AHotkeyStartsOnTheFocusedWindowAtItsTopCentre) {
    const auto origin = originForHotkey();
    ASSERT_TRUE(origin);
    EXPECT_EQ(origin->type, OriginType::hotkey);
    // The front-most window of the editor, which is in front.
    EXPECT_TRUE(is(origin->window, bare));
    EXPECT_EQ(origin->application->pid(), editorPid);
    EXPECT_EQ(origin->element, nullptr);
    const CGRect frame = *bare->frame();
    EXPECT_EQ(origin->location, (CGPoint{frame.midX(), 900 - frame.minY()}));
    EXPECT_EQ(origin->screen.uiFrame, (CGRect{0, 0, 1440, 900}));
}

TEST_F(TitlebarHeightTest, NoHotkeyOriginInMissionControlOrForABlacklistedApplication) {
    writeValue(Keys::blacklist(), std::set<std::string>{editorIdentifier});
    EXPECT_FALSE(originForHotkey().has_value());
    writeValue(Keys::blacklist(), std::set<std::string>{});
    ASSERT_TRUE(originForHotkey().has_value());

    sim::Spaces::of(*world).showMissionControl(*world);
    EXPECT_FALSE(originForHotkey().has_value());
}

// --- The screen of an origin

TEST_F(TitlebarHeightTest, TheScreenIsTheOneUnderThePointerOnStackedDisplaysOfDifferentHeights) {
    // A taller display above the laptop, reaching further left: in top-left coordinates its
    // points have negative y.
    const sim::Display above{
        .number = 2, .uuid = "ABOVE", .frame = {-240, 900, 1920, 1080}, .menuBarHeight = 25};
    sim::Displays::of(*world).setDisplays({laptop(), above});
    reinitializeScreens();

    input().movePointer({100, -500});
    const Origin high = makeOrigin(OriginType::window);
    EXPECT_EQ(high.location, (CGPoint{100, 1400}));
    EXPECT_EQ(high.screen.uiFrame, (CGRect{-240, 900, 1920, 1080}));

    input().movePointer({100, 500});
    EXPECT_EQ(makeOrigin(OriginType::window).screen.uiFrame, (CGRect{0, 0, 1440, 900}));
}

}  // namespace
}  // namespace zoral::engine::testing
