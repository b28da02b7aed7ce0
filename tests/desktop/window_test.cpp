#include "desktop/window.h"

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "desktop/application.h"
#include "desktop/attempt.h"
#include "desktop/promise_error.h"
#include "desktop/screen.h"
#include "platform/accessibility.h"
#include "sim/displays.h"
#include "sim/timing.h"
#include "sim/window_node.h"
#include "sim/world.h"
#include "support/captured_output.h"
#include "support/virtual_clock.h"

namespace zoral::desktop {
namespace {

namespace ax = platform::ax;
using platform::CGRect;
using platform::ErrorRef;
using promises::Promise;
using promises::Unit;

constexpr platform::ProcessId editorPid = 12;

Screen screenAt(CGRect uiFrame) {
    return {.nsScreen = platform::NSScreen(uiFrame, uiFrame, {}),
            .uiFrame = uiFrame,
            .axFrame = uiFrame,
            .snapFrame = uiFrame};
}

class WindowTest : public zoral::testing::VirtualClockTest {
protected:
    WindowTest() {
        sim::Displays::of(*world).setDisplays({
            sim::Display{.number = 1, .uuid = "A", .frame = {0, 0, 1440, 900}},
            sim::Display{.number = 2, .uuid = "B", .frame = {1440, 0, 1000, 900}},
        });
        world->addProcess(editorPid, "org.example.editor", "Editor");
        node = addWindow("Notes", 34, {100, 100, 400, 300});
        window = Window::make(UIElement(node->element()));
    }
    ~WindowTest() override { Screen::setScreens({}); }

    std::shared_ptr<sim::WindowNode> addWindow(const std::string& title, std::int64_t number,
                                               CGRect frame) {
        auto made = world->makeNode<sim::WindowNode>(editorPid, number);
        made->set("AXTitle", title);
        made->set("AXMinimized", false);
        made->set("AXFullScreen", false);
        for (const char* attribute : {"AXMinimized", "AXFullScreen"})
            made->setSettable(attribute);
        made->moveTo(*world, frame.origin);
        made->resizeTo(*world, frame.size);
        world->process(editorPid)->application->appendChild(made);
        return made;
    }

    // Runs the clock until the promise settles; the result, or none when it never does.
    template <class T>
    std::optional<promises::Result<T>> settle(const Promise<T>& promise, double limit = 10) {
        scheduler().runUntil([&] { return promise.currentResult().has_value(); }, limit);
        return promise.currentResult();
    }

    double now() const { return platform::DispatchTime::now().uptimeSeconds(); }

    sim::ScopedWorld world;
    zoral::testing::ScopedOutputCapture output;
    std::shared_ptr<sim::WindowNode> node;
    std::shared_ptr<Window> window;
};

TEST_F(WindowTest, AttemptRetriesOnlyPromiseErrorsOtherThanCancel) {
    struct Case {
        const char* what;
        ErrorRef error;
        int expectedRuns;
    };
    const std::vector<Case> cases = {
        {"cancel stops at once", PromiseError::makeCancel(), 1},
        {"default retries to the maximum", PromiseError::makeDefault(), 41},
        {"generic retries to the maximum", PromiseError::makeGeneric("x"), 41},
        {"other errors stop at once", platform::makeError("Other", 7, "other"), 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<int> indices;
        std::vector<double> times;
        const double start = now();
        auto promise = attempt(40, 0.05, [&](int index) {
            indices.push_back(index);
            times.push_back(now() - start);
            return Promise<int>::initRejected(c.error);
        });
        EXPECT_EQ(indices.size(), 1U) << "the first run is made at once";
        const auto result = settle(promise);
        ASSERT_TRUE(result);
        ASSERT_FALSE(result->holdsValue());
        EXPECT_EQ(result->error(), c.error) << "the last error is passed on unchanged";
        ASSERT_EQ(static_cast<int>(indices.size()), c.expectedRuns);
        for (int i = 0; i < c.expectedRuns; ++i) {
            EXPECT_EQ(indices[static_cast<std::size_t>(i)], i);
            EXPECT_NEAR(times[static_cast<std::size_t>(i)], 0.05 * i, 1e-9);
        }
    }
}

TEST_F(WindowTest, AttemptGivesTheFirstSuccessAndTreatsAThrowAsAFailure) {
    int runs = 0;
    auto promise = attempt(5, 0.02, [&](int index) -> Promise<std::string> {
        ++runs;
        if (index == 0)
            throw PromiseError::default_();
        if (index < 3)
            return Promise<std::string>::initRejected(PromiseError::makeDefault());
        return Promise<std::string>::initFulfilled("at " + std::to_string(index));
    });
    const auto result = settle(promise);
    ASSERT_TRUE(result && result->holdsValue());
    EXPECT_EQ(result->value(), "at 3");
    EXPECT_EQ(runs, 4);
}

TEST_F(WindowTest, ExitFullscreenOfAWindowAlreadyBackLogsZeroAndMakesNoRetry) {
    world->resetRoundTrips();
    auto promise = window->exitFullscreen();
    const auto result = settle(promise);
    ASSERT_TRUE(result && result->holdsValue());
    EXPECT_EQ(output.lines(), std::vector<std::string>{"Window: Unfullscreened in 0ms"});
    EXPECT_EQ(now(), 0.0) << "no retry was waited for";
    // The write, then one check: the application's role, its windows, the window's role, and
    // whether its minimised state is settable and false.
    EXPECT_EQ(world->roundTripCount(sim::RoundTrip::setAttributeValue), 1);
    EXPECT_EQ(world->roundTripCount(), 6);
}

TEST_F(WindowTest, ExitFullscreenWaitsForTheWindowToComeBack) {
    world->component<sim::Timing>().fullScreenEnter = 0.3;
    world->component<sim::Timing>().fullScreenExit = 0.15;
    ASSERT_EQ(ax::setAttributeValue(node->element(), "AXFullScreen", true), ax::success);
    EXPECT_FALSE(node->isFullScreen()) << "entering takes its time too";
    scheduler().advance(0.3);
    ASSERT_TRUE(node->isFullScreen());
    world->resetRoundTrips();

    auto promise = window->exitFullscreen();
    const auto result = settle(promise);
    ASSERT_TRUE(result && result->holdsValue());
    EXPECT_FALSE(node->isFullScreen());
    EXPECT_EQ(output.lines(), std::vector<std::string>{"Window: Unfullscreened in 150ms"});
    EXPECT_NEAR(now(), 0.45, 1e-9);
    // The application is found once; each failed check reads only its empty window list.
    EXPECT_EQ(world->roundTripCount(), 9);
}

TEST_F(WindowTest, ExitFullscreenFailsWhenTheWindowNeverComesBack) {
    // A window whose minimised state is not settable is never among the visible windows.
    node->setSettable("AXMinimized", false);
    auto promise = window->exitFullscreen();
    const auto result = settle(promise);
    ASSERT_TRUE(result);
    ASSERT_FALSE(result->holdsValue());
    const PromiseError* error = promiseErrorOf(result->error());
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(error->kind(), PromiseError::Kind::default_);
    EXPECT_NEAR(now(), 2.0, 1e-9) << "41 checks, 0.05 s apart";
    EXPECT_TRUE(output.lines().empty());
}

TEST_F(WindowTest, AWindowBelongsToTheScreenItOverlapsMost) {
    // The window (top-left) 100,100 400x300 is, in bottom-left coordinates, 100,500 400x300.
    struct Case {
        const char* what;
        std::vector<CGRect> screens;
        std::size_t expected;
    };
    const std::vector<Case> cases = {
        // 300 and 500 square points.
        {"larger overlap wins",
         {{100, 500, 1, 300}, {100, 500, 500.0 / 300.0, 300}, {2000, 0, 100, 100}},
         1},
        {"equal overlaps give the first listed", {{100, 500, 1, 300}, {499, 500, 1, 300}}, 0},
        {"no overlap at all gives the first", {{2000, 0, 10, 10}, {3000, 0, 10, 10}}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<Screen> screens;
        for (const CGRect& frame : c.screens)
            screens.push_back(screenAt(frame));
        Screen::setScreens(screens);
        const auto found = window->screen();
        ASSERT_TRUE(found);
        EXPECT_EQ(*found, screens[c.expected]);
    }

    Screen::setScreens({screenAt({0, 0, 50, 50}), screenAt({100, 500, 400, 300})});
    EXPECT_EQ(window->frameOnScreens(screenAt({100, 500, 400, 300})).area, 400.0 * 300.0);
    world->injectError(node->element(), "AXFrame", ax::cannotComplete);
    EXPECT_EQ(window->frameOnScreens(screenAt({100, 500, 400, 300})).area, 0.0);
    EXPECT_EQ(window->screen(), screenAt({0, 0, 50, 50})) << "an unreadable frame overlaps nothing";

    Screen::setScreens({});
    EXPECT_EQ(window->screen(), std::nullopt) << "no screens: nothing can contain the pointer";
}

TEST_F(WindowTest, CapabilitiesCountAnErrorAsCannotAndStatesAsUnknown) {
    EXPECT_TRUE(window->canResize());
    EXPECT_TRUE(window->canMinimize());
    EXPECT_TRUE(window->canFullscreen());
    EXPECT_EQ(window->isMinimized(), false);
    EXPECT_EQ(window->isFullscreen(), false);
    EXPECT_FALSE(window->canClose()) << "no close button";

    auto button = world->makeNode(editorPid, "AXButton");
    button->set("AXSubrole", "AXCloseButton");
    node->set("AXCloseButton", button->element());
    EXPECT_FALSE(window->canClose()) << "a button that does not say it is enabled";
    button->set("AXEnabled", true);
    EXPECT_TRUE(window->canClose());
    button->set("AXEnabled", false);
    EXPECT_FALSE(window->canClose());
    button->set("AXEnabled", true);

    for (const char* attribute : {"AXMinimized", "AXFullScreen", "AXCloseButton", "AXSize"})
        world->injectError(node->element(), attribute, ax::cannotComplete);
    EXPECT_FALSE(window->canResize());
    EXPECT_FALSE(window->canMinimize());
    EXPECT_FALSE(window->canFullscreen());
    EXPECT_FALSE(window->canClose());
    EXPECT_EQ(window->isMinimized(), std::nullopt);
    EXPECT_EQ(window->isFullscreen(), std::nullopt);

    world->clearInjectedErrors();
    node->setLimits({.fixedSize = true});
    EXPECT_FALSE(window->canResize());
    node->remove("AXFullScreen");
    EXPECT_EQ(window->isFullscreen(), std::nullopt) << "an absent state is unknown, not false";
}

TEST_F(WindowTest, OnScreenListKeepsOrdinaryWindowsInTheServersOrder) {
    auto palette = addWindow("Palette", 35, {0, 0, 50, 50});
    palette->setLayer(3);
    addWindow("Front", 36, {10, 20, 300, 200});
    auto minimised = addWindow("Away", 37, {0, 0, 50, 50});
    ASSERT_EQ(ax::setAttributeValue(minimised->element(), "AXMinimized", true), ax::success);
    scheduler().advance(world->component<sim::Timing>().minimize);

    const auto list = Window::onScreenWindowList();
    ASSERT_EQ(list.size(), 2U);
    EXPECT_EQ(list[0], (OnScreenWindow{.ownerPid = editorPid,
                                       .ownerName = "Editor",
                                       .number = 36,
                                       .name = "Front",
                                       .bounds = {10, 20, 300, 200}}));
    EXPECT_EQ(list[1].number, 34);
    EXPECT_EQ(list[1].name, "Notes");
}

}  // namespace
}  // namespace zoral::desktop
