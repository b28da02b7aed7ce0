#include "sim/window_node.h"

#include <gtest/gtest.h>

#include "platform/accessibility.h"
#include "platform/run_loop.h"
#include "platform/window_list.h"
#include "sim/button_node.h"
#include "sim/displays.h"
#include "sim/spaces.h"
#include "sim/timing.h"
#include "sim/world.h"
#include "sim/world_file.h"
#include "support/virtual_clock.h"

namespace zoral::sim {
namespace {

namespace ax = platform::ax;
using platform::CGPoint;
using platform::CGSize;

class WindowNodeTest : public zoral::testing::VirtualClockTest {
protected:
    WindowNodeTest() {
        Process& process = world->addProcess(12, "org.example.editor", "Editor");
        window = world->makeNode<WindowNode>(
            12, 34, WindowLimits{.minimum = CGSize{200, 100}, .maximum = CGSize{1000, 800}});
        window->set("AXTitle", "Notes");
        window->moveTo(*world, {10, 20});
        window->resizeTo(*world, {400, 300});
        process.application->appendChild(window);
    }

    std::vector<std::string> notifications(std::initializer_list<const char*> names = {
                                               "AXWindowMoved", "AXWindowResized"}) {
        std::vector<std::string> heard;
        auto observer =
            ax::observerCreateWithInfoCallback(12, [&](const ax::ObserverRef&, ax::Element,
                                                       const std::string& name, const ax::Info&,
                                                       const ax::ObserverUserData&) {
                heard.push_back(name);
            }).value();
        platform::RunLoop::main().addSource(ax::observerGetRunLoopSource(observer),
                                            platform::RunLoopMode::defaultMode);
        for (const char* name : names) {
            (void)ax::observerAddNotification(observer, window->element(), name, {});
        }
        writes();
        scheduler().runUntilIdle();
        return heard;
    }

    std::function<void()> writes;
    ScopedWorld world;
    std::shared_ptr<WindowNode> window;
};

TEST_F(WindowNodeTest, WritesMoveAndResizeWithinTheLimitsAndNotify) {
    struct Case {
        const char* what;
        std::function<void(ax::Element)> write;
        CGPoint position;
        CGSize size;
        std::vector<std::string> heard;
    };
    const auto setPosition = [](CGPoint p) {
        return [p](ax::Element w) {
            EXPECT_EQ(ax::setAttributeValue(w, "AXPosition", p), ax::success);
        };
    };
    const auto setSize = [](CGSize s) {
        return
            [s](ax::Element w) { EXPECT_EQ(ax::setAttributeValue(w, "AXSize", s), ax::success); };
    };
    const std::vector<Case> cases = {
        {"move", setPosition({50, 60}), {50, 60}, {400, 300}, {"AXWindowMoved"}},
        {"move to where it is", setPosition({10, 20}), {10, 20}, {400, 300}, {}},
        {"resize", setSize({500, 500}), {10, 20}, {500, 500}, {"AXWindowResized"}},
        {"below the minimum", setSize({50, 50}), {10, 20}, {200, 100}, {"AXWindowResized"}},
        {"above the maximum", setSize({5000, 5000}), {10, 20}, {1000, 800}, {"AXWindowResized"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        window->moveTo(*world, {10, 20});
        window->resizeTo(*world, {400, 300});
        scheduler().runUntilIdle();
        writes = [&] { c.write(window->element()); };
        EXPECT_EQ(notifications(), c.heard);
        EXPECT_EQ(ax::copyAttributeValue(window->element(), "AXFrame").value(),
                  ax::Value(platform::CGRect(c.position, c.size)));
    }
}

TEST_F(WindowNodeTest, RefusesWhatTheSystemRefuses) {
    const ax::Element w = window->element();
    EXPECT_EQ(ax::setAttributeValue(w, "AXPosition", CGSize{1, 1}), ax::illegalArgument);
    EXPECT_EQ(ax::setAttributeValue(w, "AXSize", CGSize{std::nan(""), 1}), ax::illegalArgument);
    EXPECT_EQ(ax::setAttributeValue(w, "AXSize", CGSize{-1, 1}), ax::illegalArgument);
    EXPECT_EQ(ax::setAttributeValue(w, "AXFrame", platform::CGRect()), ax::attributeUnsupported);
    window->setLimits(WindowLimits{.fixedSize = true});
    EXPECT_FALSE(ax::isAttributeSettable(w, "AXSize").value());
    EXPECT_TRUE(ax::isAttributeSettable(w, "AXPosition").value());
    EXPECT_EQ(ax::setAttributeValue(w, "AXSize", CGSize{300, 300}), ax::attributeUnsupported);
    EXPECT_EQ(window->size(), (CGSize{400, 300}));
}

TEST_F(WindowNodeTest, ValuesOfTheWrongKindNeverBecomeItsFrameOrStates) {
    // As a world file might give them: the window keeps what it had.
    window->set("AXPosition", ax::Value(5));
    window->set("AXSize", ax::Value("big"));
    window->set("AXSize", CGSize{std::nan(""), 10});
    window->set("AXMinimized", ax::Value(1));
    window->set("AXFrame", platform::CGRect(1, 2, 3, 4));
    EXPECT_EQ(*window->frame(), platform::CGRect(10, 20, 400, 300));
    EXPECT_EQ(ax::copyAttributeValue(window->element(), "AXFrame").value(),
              ax::Value(platform::CGRect(10, 20, 400, 300)));
    EXPECT_FALSE(window->isMinimized());
    ASSERT_EQ(ax::setAttributeValue(window->element(), "AXPosition", CGPoint{3, 4}), ax::success);
    EXPECT_EQ(window->position(), (CGPoint{3, 4}));
}

TEST_F(WindowNodeTest, TheWindowListGoesFrontToBackAndLeavesMinimisedWindowsOut) {
    Process& other = world->addProcess(7, "org.example.viewer", "Viewer");
    auto back = world->makeNode<WindowNode>(7, 40);
    auto front = world->makeNode<WindowNode>(7, 41);
    auto minimised = world->makeNode<WindowNode>(7, 42);
    minimised->set("AXMinimized", true);
    auto panel = world->makeNode<WindowNode>(7, 43);
    panel->setLayer(3);
    for (const auto& w : {back, minimised, panel, front})
        other.application->appendChild(w);

    const auto numbers = [](platform::WindowListOptions options) {
        std::vector<std::int64_t> result;
        const auto list = platform::windowListCopyWindowInfo(options, 0);
        for (const auto& entry : *list) {
            result.push_back(*entry.at("kCGWindowNumber").integerValue()->int64Value());
        }
        return result;
    };
    // The panel's level lies above every ordinary window.
    EXPECT_EQ(numbers(platform::windowListOptionOnScreenOnly),
              (std::vector<std::int64_t>{43, 41, 40, 34}));
    EXPECT_EQ(numbers(platform::windowListOptionAll),
              (std::vector<std::int64_t>{43, 41, 42, 40, 34}));

    const auto list =
        *platform::windowListCopyWindowInfo(platform::windowListOptionOnScreenOnly, 0);
    const platform::PlistDictionary& notes = list.back();
    EXPECT_EQ(notes.at("kCGWindowOwnerName"), platform::PlistObject::string("Editor"));
    EXPECT_EQ(notes.at("kCGWindowOwnerPID"), platform::PlistObject::integer(12));
    EXPECT_EQ(notes.at("kCGWindowName"), platform::PlistObject::string("Notes"));
    EXPECT_EQ(notes.at("kCGWindowLayer"), platform::PlistObject::integer(0));
    EXPECT_EQ(*notes.at("kCGWindowBounds").find("Width"), platform::PlistObject::real(400));
    EXPECT_EQ(list[0].at("kCGWindowLayer"), platform::PlistObject::integer(3));
    EXPECT_FALSE(list[0].contains("kCGWindowName"));
}

TEST_F(WindowNodeTest, TheApplicationAnswersItsWindowsMainWindowFirst) {
    Process& process = *world->process(12);
    auto second = world->makeNode<WindowNode>(12, 35);
    second->set("AXMinimized", false);
    second->setSettable("AXMinimized");
    process.application->appendChild(second);
    const ax::Element app = process.application->element();
    const auto read = [&](const char* attribute) {
        return ax::copyAttributeValue(app, attribute).value();
    };
    EXPECT_EQ(read("AXWindows"), ax::Value(ax::Value::Array{second->element(), window->element()}));
    EXPECT_EQ(read("AXMainWindow"), ax::Value(second->element()));
    EXPECT_EQ(ax::copyAttributeValue(window->element(), "AXMain").value(), ax::Value(false));

    // Writing AXMain brings the window in front of its application's others.
    ASSERT_EQ(ax::setAttributeValue(window->element(), "AXMain", true), ax::success);
    EXPECT_EQ(read("AXWindows"), ax::Value(ax::Value::Array{window->element(), second->element()}));
    EXPECT_EQ(read("AXFocusedWindow"), ax::Value(window->element()));

    // A minimised window keeps its frame and is main no more.
    ASSERT_EQ(ax::setAttributeValue(window->element(), "AXMain", true), ax::success);
    EXPECT_EQ(ax::setAttributeValue(window->element(), "AXMinimized", true),
              ax::attributeUnsupported)
        << "its minimised state is not settable";
    ASSERT_EQ(ax::setAttributeValue(second->element(), "AXMain", true), ax::success);
    ASSERT_EQ(ax::setAttributeValue(second->element(), "AXMinimized", true), ax::success);
    scheduler().advance(world->component<Timing>().minimize);
    EXPECT_EQ(read("AXMainWindow"), ax::Value(window->element()));
    EXPECT_TRUE(second->isMinimized());
    EXPECT_EQ(ax::setAttributeValue(second->element(), "AXMinimized", 1), ax::illegalArgument);
}

TEST_F(WindowNodeTest, FullScreenFillsTheDisplayAndEnteringAndLeavingItTakeTime) {
    Displays::of(*world).setDisplays({
        Display{.number = 1, .uuid = "a", .frame = {0, 0, 1440, 900}},
        Display{.number = 2, .uuid = "b", .frame = {1440, 100, 1000, 800}},
    });
    world->component<Timing>().fullScreenEnter = 0.3;
    world->component<Timing>().fullScreenExit = 0.15;
    Spaces::of(*world).setDisplaySpaces(*world, {{"a", 1, {{1}}}, {"b", 5, {{5}, {7, true}}}});
    const auto spacesOfB = [&] { return *Spaces::of(*world).displaySpaces("b"); };
    const ax::Element w = window->element();
    const ax::Element app = world->process(12)->application->element();
    EXPECT_EQ(ax::setAttributeValue(w, "AXFullScreen", true), ax::attributeUnsupported);
    window->set("AXFullScreen", false);
    window->setSettable("AXFullScreen");
    window->moveTo(*world, {1500, 50});  // centre on the second display
    scheduler().runUntilIdle();

    // The observer's full-screen branches run on the resize notifications of both changes.
    writes = [&] {
        ASSERT_EQ(ax::setAttributeValue(w, "AXFullScreen", true), ax::success);
        scheduler().advance(0.299);
        EXPECT_FALSE(window->isFullScreen());
        scheduler().advance(0.001);
    };
    EXPECT_EQ(notifications({"AXMoved", "AXResized"}),
              (std::vector<std::string>{"AXMoved", "AXResized"}));
    EXPECT_TRUE(window->isFullScreen());
    // The second display in top-left coordinates: y = 900 - (100 + 800).
    EXPECT_EQ(*window->frame(), platform::CGRect(1440, 0, 1000, 800));
    // A full-screen space of its own on that display, now current.
    EXPECT_EQ(spacesOfB(), (DisplaySpaces{"b", 8, {{5}, {7, true}, {8, true}}}));
    EXPECT_EQ(Spaces::of(*world).spaceOfWindow(34), 8);

    writes = [&] {
        ASSERT_EQ(ax::setAttributeValue(w, "AXFullScreen", false), ax::success);
        EXPECT_EQ(ax::copyAttributeValue(app, "AXWindows").value(), ax::Value(ax::Value::Array{}))
            << "on its way back the window is not listed";
        scheduler().advance(0.149);
        EXPECT_TRUE(window->isLeavingFullScreen());
        scheduler().advance(0.001);
    };
    EXPECT_EQ(notifications({"AXMoved", "AXResized"}),
              (std::vector<std::string>{"AXMoved", "AXResized"}));
    EXPECT_FALSE(window->isFullScreen());
    EXPECT_EQ(*window->frame(), platform::CGRect(1500, 50, 400, 300));
    EXPECT_EQ(spacesOfB(), (DisplaySpaces{"b", 5, {{5}, {7, true}}}));
    EXPECT_EQ(ax::copyAttributeValue(app, "AXWindows").value(), ax::Value(ax::Value::Array{w}));
}

TEST_F(WindowNodeTest, TitleBarButtonsActOnTheirWindow) {
    std::vector<std::string> heard;
    auto observer =
        ax::observerCreateWithInfoCallback(12, [&](const ax::ObserverRef&, ax::Element,
                                                   const std::string& name, const ax::Info&,
                                                   const ax::ObserverUserData&) {
            heard.push_back(name);
        }).value();
    platform::RunLoop::main().addSource(ax::observerGetRunLoopSource(observer),
                                        platform::RunLoopMode::defaultMode);
    const ax::Element app = world->process(12)->application->element();
    ASSERT_EQ(ax::observerAddNotification(observer, app, "AXUIElementDestroyed", {}), ax::success);

    const auto button = [&](const char* subrole) {
        auto node = world->makeNode<ButtonNode>(12);
        node->set("AXSubrole", subrole);
        window->appendChild(node);
        return node;
    };
    window->set("AXMinimized", false);
    window->setSettable("AXMinimized");
    auto minimise = button("AXMinimizeButton");
    auto close = button("AXCloseButton");
    close->set("AXEnabled", false);

    ASSERT_EQ(ax::performAction(close->element(), "AXPress"), ax::success);
    EXPECT_FALSE(window->isDestroyed()) << "a disabled button does nothing";
    ASSERT_EQ(ax::performAction(minimise->element(), "AXPress"), ax::success);
    scheduler().advance(world->component<Timing>().minimize);
    EXPECT_TRUE(window->isMinimized());

    close->set("AXEnabled", true);
    const ax::Element w = window->element();
    ASSERT_EQ(ax::performAction(close->element(), "AXPress"), ax::success);
    scheduler().runUntilIdle();
    EXPECT_EQ(heard, std::vector<std::string>{"AXUIElementDestroyed"});
    EXPECT_EQ(ax::copyAttributeValue(w, "AXTitle").error(), ax::invalidUIElement);
    EXPECT_EQ(ax::copyAttributeValue(app, "AXWindows").value(), ax::Value(ax::Value::Array{}));
}

TEST_F(WindowNodeTest, WorldFilesDescribeWindows) {
    ScopedWorld fresh;
    loadWorld(*fresh, platform::Json::parse(R"({"processes": [{"pid": 5, "children": [
        {"role": "AXWindow", "id": "a", "window": {"number": 7, "minimumSize": [300, 200],
         "fixedSize": true, "layer": 2}, "attributes": {"AXSize": {"size": [400, 300]}}},
        {"role": "AXWindow", "id": "b"}]}]})"));
    const auto a =
        std::dynamic_pointer_cast<WindowNode>(fresh->process(5)->application->children()[0]);
    const auto b =
        std::dynamic_pointer_cast<WindowNode>(fresh->process(5)->application->children()[1]);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->windowNumber(), 7);
    EXPECT_EQ(b->windowNumber(), 8) << "the window server hands out the next number when absent";
    EXPECT_TRUE(a->limits().fixedSize);
    EXPECT_EQ(a->layer(), 2);
    const platform::Json dumped = dumpWorld(*fresh);
    ScopedWorld again;
    loadWorld(*again, dumped);
    EXPECT_EQ(dumpWorld(*again), dumped);
    EXPECT_THROW(loadWorld(*again, platform::Json::parse(R"({"processes": [{"pid": 6, "children": [
        {"role": "AXWindow", "window": {"number": 7}}, {"role": "AXWindow", "window": {"number": 7}}]}]})")),
                 WorldFileError);
}

}  // namespace
}  // namespace zoral::sim
