#include "sim/world.h"

#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/accessibility.h"
#include "platform/notification_center.h"
#include "platform/run_loop.h"
#include "platform/workspace.h"
#include "sim/journal.h"
#include "sim/window_node.h"
#include "support/virtual_clock.h"

namespace zoral::sim {
namespace {

namespace ax = platform::ax;
using platform::CGPoint;
using platform::CGSize;

// A world with one application holding one window with a button.
class SimWorldTest : public zoral::testing::VirtualClockTest {
protected:
    SimWorldTest() {
        Process& process = world->addProcess(42, "org.example.editor", "Editor");
        application = process.application;
        window = world->makeNode(42, "AXWindow");
        window->set("AXTitle", "Notes");
        window->set("AXPosition", CGPoint{100, 100});
        window->set("AXSize", CGSize{400, 300});
        window->setSettable("AXPosition");
        window->setActions({"AXRaise"});
        application->appendChild(window);
        button = world->makeNode(42, "AXButton");
        button->set("AXPosition", CGPoint{110, 105});
        button->set("AXSize", CGSize{12, 12});
        window->appendChild(button);
    }

    double now() const { return platform::DispatchTime::now().uptimeSeconds(); }

    ScopedWorld world;
    std::shared_ptr<Node> application;
    std::shared_ptr<Node> window;
    std::shared_ptr<Node> button;
};

TEST_F(SimWorldTest, AnswersReadsWritesAndActionsWithTheSystemsCodes) {
    const ax::Element w = window->element();
    EXPECT_EQ(ax::copyAttributeValue(w, "AXTitle").value(), ax::Value("Notes"));
    EXPECT_EQ(ax::copyAttributeValue(w, "AXRole").value(), ax::Value("AXWindow"));
    EXPECT_EQ(*ax::copyAttributeValue(w, "AXParent").value().getIf<ax::Element>(),
              application->element());
    const auto children = ax::copyAttributeValue(w, "AXChildren");
    ASSERT_TRUE(children.ok());
    EXPECT_EQ(children.value(), ax::Value(ax::Value::Array{button->element()}));
    EXPECT_EQ(ax::copyAttributeValue(application->element(), "AXParent").error(), ax::noValue);

    struct Case {
        const char* what;
        ax::Error code;
    };
    const std::vector<Case> cases = {
        {"unsupported read", ax::copyAttributeValue(w, "AXMinimized").error()},
        {"settable test of an unsupported attribute", ax::isAttributeSettable(w, "AXNope").error()},
        {"write of a settable attribute", ax::setAttributeValue(w, "AXPosition", CGPoint{5, 6})},
        {"write of a fixed attribute", ax::setAttributeValue(w, "AXTitle", "New")},
        {"write of an unsupported attribute", ax::setAttributeValue(w, "AXNope", true)},
        {"supported action", ax::performAction(w, "AXRaise")},
        {"unsupported action", ax::performAction(w, "AXPress")},
    };
    const std::vector<ax::Error> expected = {
        ax::attributeUnsupported, ax::attributeUnsupported, ax::success,
        ax::attributeUnsupported, ax::attributeUnsupported, ax::success,
        ax::actionUnsupported};
    for (std::size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(cases[i].code, expected[i]) << cases[i].what;
    }
    EXPECT_EQ(ax::copyAttributeValue(w, "AXPosition").value(), ax::Value(CGPoint{5, 6}));
    EXPECT_TRUE(ax::isAttributeSettable(w, "AXPosition").value());
    EXPECT_FALSE(ax::isAttributeSettable(w, "AXTitle").value());
    EXPECT_EQ(ax::copyActionNames(w).value(), std::vector<std::string>{"AXRaise"});
    EXPECT_EQ(ax::getPid(w).value(), 42);
}

TEST_F(SimWorldTest, ElementsOfAGoneProcessAreInvalid) {
    const ax::Element w = window->element();
    world->removeProcess(42);
    EXPECT_EQ(ax::copyAttributeValue(w, "AXTitle").error(), ax::invalidUIElement);
    EXPECT_EQ(ax::getPid(w).value(), 42) << "an element keeps its process's identifier";
    EXPECT_EQ(ax::performAction(w, "AXRaise"), ax::invalidUIElement);
    const ax::Element gone = ax::createApplication(42);
    EXPECT_EQ(ax::getPid(gone).value(), 42);
    EXPECT_EQ(ax::copyAttributeValue(gone, "AXRole").error(), ax::invalidUIElement);
}

TEST_F(SimWorldTest, CountsAndChargesEveryRoundTrip) {
    world->setLatency(0.001);
    world->process(42)->latency = 0.01;
    const double start = now();
    (void)ax::copyAttributeValue(window->element(), "AXTitle");
    (void)ax::copyAttributeValue(window->element(), "AXTitle");
    (void)ax::setAttributeValue(window->element(), "AXPosition", CGPoint{});
    (void)ax::copyElementAtPosition(ax::createSystemWide(), 1, 1);
    EXPECT_NEAR(now() - start, 0.031, 1e-9);
    EXPECT_EQ(world->roundTripCount(), 4);
    EXPECT_EQ(world->roundTripCount(RoundTrip::copyAttributeValue), 2);
    EXPECT_EQ((world->roundTrips().at({RoundTrip::copyAttributeValue, "AXTitle", 42})), 2);
    world->resetRoundTrips();
    EXPECT_EQ(world->roundTripCount(), 0);
}

TEST_F(SimWorldTest, AWindowsNumberIsOneRoundTripToItsApplication) {
    auto numbered = world->makeNode<WindowNode>(42, 77);
    application->appendChild(numbered);
    world->setLatency(0.002);
    const double start = now();
    const auto number = ax::getWindow(numbered->element());
    EXPECT_NEAR(now() - start, 0.002, 1e-9);
    ASSERT_TRUE(number.ok());
    EXPECT_EQ(number.value(), 77U);
    EXPECT_EQ(world->roundTripCount(RoundTrip::getWindow), 1);

    // Only a window has a number; a gone one, or one of an application that does not answer,
    // gives none.
    EXPECT_EQ(ax::getWindow(button->element()).error(), ax::illegalArgument);
    EXPECT_EQ(ax::getWindow(application->element()).error(), ax::illegalArgument);
    world->process(42)->hung = true;
    EXPECT_EQ(ax::getWindow(numbered->element()).error(), ax::cannotComplete);
    world->process(42)->hung = false;
    numbered->close(*world);
    EXPECT_EQ(ax::getWindow(numbered->element()).error(), ax::invalidUIElement);
}

TEST_F(SimWorldTest, TheJournalKeepsTheLatestEntriesAndCountsThemAll) {
    Journal& journal = Journal::of(*world);
    world->recordTrustPrompt();
    const auto beeps = static_cast<std::int64_t>(Journal::keptEntries) + 10;
    for (std::int64_t index = 0; index < beeps; ++index)
        journal.record(Beep{.time = static_cast<double>(index)});
    const auto entries = journal.entries();
    ASSERT_EQ(entries.size(), Journal::keptEntries);
    EXPECT_EQ(timeOf(entries.front()), 10.0) << "the oldest go first";
    EXPECT_EQ(timeOf(entries.back()), static_cast<double>(beeps - 1));
    // What is counted outlives the details.
    EXPECT_EQ(world->trustPrompts(), 1);
    EXPECT_EQ(journal.countOf<Beep>(), beeps);
    EXPECT_EQ(journal.recordedCount(), beeps + 1);
    journal.clear<Beep>();
    EXPECT_EQ(journal.countOf<Beep>(), 0);
    EXPECT_EQ(journal.recordedCount(), 1);
    EXPECT_TRUE(journal.entries().empty());
}

TEST_F(SimWorldTest, LatencyIsOneFunctionOfProcessKindAndName) {
    world->setLatency(0.001);
    world->process(42)->latency = 0.01;
    world->addLatencyRule({.kind = RoundTrip::setAttributeValue, .seconds = 0.02});
    world->addLatencyRule(
        {.pid = 42, .kind = RoundTrip::copyAttributeValue, .name = "AXTitle", .seconds = 0.5});
    world->addLatencyRule({.name = "AXTitle", .seconds = 0.3});
    world->addLatencyRule(
        {.kind = RoundTrip::notificationDelivery, .name = "AXWindowMoved", .seconds = 0.25});
    struct Case {
        platform::ProcessId pid;
        RoundTrip kind;
        const char* name;
        double seconds;
    };
    const Case cases[] = {
        {7, RoundTrip::copyAttributeValue, "AXRole", 0.001},     // the world's
        {42, RoundTrip::copyAttributeValue, "AXRole", 0.01},     // the process's
        {42, RoundTrip::setAttributeValue, "AXPosition", 0.02},  // the kind's, added later
        {42, RoundTrip::copyAttributeValue, "AXTitle", 0.5},     // the most given fields win
        {7, RoundTrip::copyAttributeValue, "AXTitle", 0.3},      // the name's
        {42, RoundTrip::notificationDelivery, "AXWindowMoved", 0.25},
        {42, RoundTrip::notificationDelivery, "AXWindowResized", 0.01},
    };
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(world->latencyOf(c.pid, c.kind, c.name), c.seconds)
            << c.pid << " " << roundTripName(c.kind) << " " << c.name;
    }

    // A notification reaches its observers after its delivery latency.
    std::vector<double> arrivals;
    auto observer = ax::observerCreateWithInfoCallback(42, [&](const ax::ObserverRef&, ax::Element,
                                                               const std::string&, const ax::Info&,
                                                               const ax::ObserverUserData&) {
                        arrivals.push_back(now());
                    }).value();
    platform::RunLoop::main().addSource(ax::observerGetRunLoopSource(observer),
                                        platform::RunLoopMode::defaultMode);
    ASSERT_EQ(ax::observerAddNotification(observer, window->element(), "AXWindowMoved", {}),
              ax::success);
    const double posted = now();
    world->postNotification(*window, "AXWindowMoved");
    scheduler().advance(1);
    ASSERT_EQ(arrivals.size(), 1u);
    EXPECT_DOUBLE_EQ(arrivals[0] - posted, 0.25);
    platform::RunLoop::main().removeSource(ax::observerGetRunLoopSource(observer),
                                           platform::RunLoopMode::defaultMode);
}

TEST_F(SimWorldTest, AHungApplicationAnswersAfterTheMessagingTimeout) {
    world->process(42)->hung = true;
    const auto timed = [&](ax::Element element) {
        const double start = now();
        EXPECT_EQ(ax::copyAttributeValue(element, "AXTitle").error(), ax::cannotComplete);
        return now() - start;
    };
    EXPECT_DOUBLE_EQ(timed(window->element()), World::defaultMessagingTimeout);
    // The system-wide element's time-out is everyone's default; an element's own wins.
    ASSERT_EQ(ax::setMessagingTimeout(ax::createSystemWide(), 2.0f), ax::success);
    EXPECT_DOUBLE_EQ(timed(window->element()), 2.0);
    ASSERT_EQ(ax::setMessagingTimeout(window->element(), 0.5f), ax::success);
    EXPECT_DOUBLE_EQ(timed(window->element()), 0.5);
    ASSERT_EQ(ax::setMessagingTimeout(window->element(), 0.0f), ax::success);
    EXPECT_DOUBLE_EQ(timed(window->element()), 2.0);
}

TEST_F(SimWorldTest, ACallerWaitsNoLongerThanItsMessagingTimeout) {
    ASSERT_EQ(ax::setMessagingTimeout(window->element(), 0.5f), ax::success);
    struct Case {
        double latency;
        ax::Error code;
        double seconds;
    };
    // An answer that would come after the time-out is never heard.
    for (const Case& c : {Case{0.4, ax::success, 0.4}, Case{0.5, ax::success, 0.5},
                          Case{0.6, ax::cannotComplete, 0.5}, Case{30, ax::cannotComplete, 0.5}}) {
        SCOPED_TRACE(c.latency);
        world->process(42)->latency = c.latency;
        const double start = now();
        EXPECT_EQ(ax::copyAttributeValue(window->element(), "AXTitle").error(), c.code);
        EXPECT_DOUBLE_EQ(now() - start, c.seconds);
    }
}

TEST_F(SimWorldTest, AHitTestOverAHungApplicationWaitsForItsAnswer) {
    // The window server finds the window at once; naming the element is the application's part.
    const ax::Element systemWide = ax::createSystemWide();
    ASSERT_EQ(ax::setMessagingTimeout(systemWide, 2.0f), ax::success);
    const auto hitTest = [&] {
        const double start = now();
        const auto hit = ax::copyElementAtPosition(systemWide, 112, 107);
        return std::pair{hit.ok() ? hit.value() : ax::Element(), now() - start};
    };
    EXPECT_EQ(hitTest(), std::pair(button->element(), 0.0));
    world->process(42)->hung = true;
    EXPECT_EQ(ax::copyElementAtPosition(systemWide, 112, 107).error(), ax::cannotComplete);
    EXPECT_EQ(hitTest(), std::pair(ax::Element(), 2.0));
    // Beside the hung application's windows the system answers as before.
    EXPECT_EQ(ax::copyElementAtPosition(systemWide, 900, 900).error(), ax::noValue);
}

TEST_F(SimWorldTest, InjectedErrorsAnswerInsteadOfTheElement) {
    world->injectError(window->element(), "AXTitle", ax::cannotComplete);
    world->injectError(window->element(), "AXRaise", static_cast<ax::Error>(-1));
    EXPECT_EQ(ax::copyAttributeValue(window->element(), "AXTitle").error(), ax::cannotComplete);
    EXPECT_EQ(ax::performAction(window->element(), "AXRaise"), static_cast<ax::Error>(-1));
    EXPECT_TRUE(ax::copyAttributeValue(window->element(), "AXRole").ok());
    world->clearInjectedErrors();
    EXPECT_TRUE(ax::copyAttributeValue(window->element(), "AXTitle").ok());
}

TEST_F(SimWorldTest, HitTestFindsTheDeepestElementOfTheFrontmostApplication) {
    Process& other = world->addProcess(7, "org.example.viewer", "Viewer");
    auto cover = world->makeNode(7, "AXWindow");
    cover->set("AXPosition", CGPoint{0, 0});
    cover->set("AXSize", CGSize{150, 150});
    other.application->appendChild(cover);
    const ax::Element systemWide = ax::createSystemWide();

    EXPECT_EQ(ax::copyElementAtPosition(systemWide, 112, 107).value(), cover->element());
    world->bringToFront(42);
    EXPECT_EQ(ax::copyElementAtPosition(systemWide, 112, 107).value(), button->element());
    EXPECT_EQ(ax::copyElementAtPosition(systemWide, 300, 300).value(), window->element());
    EXPECT_EQ(ax::copyElementAtPosition(systemWide, 1000, 1000).error(), ax::noValue);
    // Asked of one application, only that application answers.
    EXPECT_EQ(ax::copyElementAtPosition(other.application->element(), 112, 107).value(),
              cover->element());
}

TEST_F(SimWorldTest, TheSystemWideElementAnswersTheActiveApplication) {
    const ax::Element systemWide = ax::createSystemWide();
    const auto focused = [&] { return ax::copyAttributeValue(systemWide, "AXFocusedApplication"); };
    EXPECT_EQ(focused().value(), ax::Value(application->element()));
    Process& other = world->addProcess(7, "org.example.viewer", "Viewer");
    EXPECT_EQ(focused().value(), ax::Value(other.application->element()));
    world->removeProcess(7);
    world->removeProcess(42);
    EXPECT_EQ(focused().error(), ax::noValue);
}

TEST_F(SimWorldTest, TrustChangesAreAnnouncedAndPromptsRecorded) {
    int announced = 0;
    const auto token = platform::DistributedNotificationCenter::defaultCenter().addObserver(
        "com.apple.accessibility.api", std::nullopt, [&](const auto&) { ++announced; });
    EXPECT_TRUE(ax::isProcessTrustedWithOptions(true));
    EXPECT_EQ(world->trustPrompts(), 0) << "no prompt while trusted";
    world->setTrusted(false);
    world->setTrusted(false);
    EXPECT_FALSE(ax::isProcessTrusted());
    EXPECT_FALSE(ax::isProcessTrustedWithOptions(true));
    EXPECT_EQ(world->trustPrompts(), 1);
    EXPECT_EQ(Journal::of(*world).recordsOf<PermissionPrompt>().size(), 1u) << "in the journal";
    scheduler().runUntilIdle();
    EXPECT_EQ(announced, 1);
    platform::DistributedNotificationCenter::defaultCenter().removeObserver(token);
}

struct Delivery {
    ax::Element element;
    std::string notification;
    bool userDataAlive;
};

TEST_F(SimWorldTest, ObserversDeliverRegisteredNotificationsOnTheMainRunLoop) {
    std::vector<Delivery> delivered;
    auto observer =
        ax::observerCreateWithInfoCallback(42, [&](const ax::ObserverRef&, ax::Element element,
                                                   const std::string& name, const ax::Info&,
                                                   const ax::ObserverUserData& userData) {
            delivered.push_back({element, name, !userData.expired()});
        }).value();
    platform::RunLoop::main().addSource(ax::observerGetRunLoopSource(observer),
                                        platform::RunLoopMode::defaultMode);
    auto owner = std::make_shared<int>(0);

    EXPECT_EQ(ax::observerAddNotification(observer, application->element(), "AXWindowMoved", owner),
              ax::success);
    EXPECT_EQ(ax::observerAddNotification(observer, application->element(), "AXWindowMoved", owner),
              ax::notificationAlreadyRegistered);
    EXPECT_EQ(ax::observerRemoveNotification(observer, window->element(), "AXWindowMoved"),
              ax::notificationNotRegistered);

    // Registered on the application, it hears about the application's windows.
    world->postNotification(*window, "AXWindowMoved");
    world->postNotification(*window, "AXWindowResized");  // not registered
    EXPECT_TRUE(delivered.empty()) << "delivery is later run-loop work";
    scheduler().runUntilIdle();
    ASSERT_EQ(delivered.size(), 1u);
    EXPECT_EQ(delivered[0].element, window->element());
    EXPECT_TRUE(delivered[0].userDataAlive);

    // Removed before the run loop turns: never delivered.
    world->postNotification(*window, "AXWindowMoved");
    ASSERT_EQ(ax::observerRemoveNotification(observer, application->element(), "AXWindowMoved"),
              ax::success);
    scheduler().runUntilIdle();
    EXPECT_EQ(delivered.size(), 1u);

    // Released before the run loop turns: never delivered.
    ASSERT_EQ(ax::observerAddNotification(observer, window->element(), "AXWindowMoved", owner),
              ax::success);
    world->postNotification(*window, "AXWindowMoved");
    platform::RunLoop::main().removeSource(ax::observerGetRunLoopSource(observer),
                                           platform::RunLoopMode::defaultMode);
    observer.reset();
    scheduler().runUntilIdle();
    EXPECT_EQ(delivered.size(), 1u);
}

TEST_F(SimWorldTest, ObserversNeedALiveProcessAndACallback) {
    const auto noop = [](const ax::ObserverRef&, ax::Element, const std::string&, const ax::Info&,
                         const ax::ObserverUserData&) {};
    EXPECT_EQ(ax::observerCreateWithInfoCallback(0, noop).error(), ax::illegalArgument);
    EXPECT_EQ(ax::observerCreateWithInfoCallback(42, nullptr).error(), ax::illegalArgument);
    EXPECT_EQ(ax::observerCreateWithInfoCallback(999, noop).error(), ax::invalidUIElement)
        << "no such process";
    EXPECT_TRUE(ax::observerCreateWithInfoCallback(42, noop).ok());
    world->removeProcess(42);
    EXPECT_EQ(ax::observerCreateWithInfoCallback(42, noop).error(), ax::invalidUIElement)
        << "a process that quit";
}

TEST_F(SimWorldTest, WithoutThePermissionEveryCallFailsAsDisabled) {
    const auto noop = [](const ax::ObserverRef&, ax::Element, const std::string&, const ax::Info&,
                         const ax::ObserverUserData&) {};
    auto observer = ax::observerCreateWithInfoCallback(42, noop).value();
    world->setTrusted(false);
    const ax::Element w = window->element();
    const std::vector<std::pair<const char*, ax::Error>> calls = {
        {"read", ax::copyAttributeValue(w, "AXTitle").error()},
        {"names", ax::copyAttributeNames(w).error()},
        {"settable", ax::isAttributeSettable(w, "AXPosition").error()},
        {"write", ax::setAttributeValue(w, "AXPosition", CGPoint{1, 1})},
        {"actions", ax::copyActionNames(w).error()},
        {"action", ax::performAction(w, "AXRaise")},
        {"hit test", ax::copyElementAtPosition(ax::createSystemWide(), 112, 107).error()},
        {"observer", ax::observerCreateWithInfoCallback(42, noop).error()},
        {"registration", ax::observerAddNotification(observer, w, "AXMoved", {})},
        {"removal", ax::observerRemoveNotification(observer, w, "AXMoved")},
    };
    for (const auto& [what, error] : calls)
        EXPECT_EQ(error, ax::apiDisabled) << what;
    const ax::Value* position = window->stored("AXPosition");
    ASSERT_NE(position, nullptr);
    EXPECT_EQ(*position, ax::Value(CGPoint{100, 100})) << "nothing was written";
    // What the reference itself says needs no permission.
    EXPECT_EQ(ax::getPid(w).value(), 42);
    world->setTrusted(true);
    EXPECT_TRUE(ax::copyAttributeValue(w, "AXTitle").ok());
}

TEST_F(SimWorldTest, AClosedWindowsWholeSubtreeIsInvalid) {
    auto closing = world->makeNode<WindowNode>(42, 77);
    auto group = world->makeNode(42, "AXGroup");
    auto text = world->makeNode(42, "AXStaticText");
    group->appendChild(text);
    closing->appendChild(group);
    world->process(42)->application->appendChild(closing);
    ASSERT_TRUE(ax::copyAttributeValue(text->element(), "AXRole").ok());
    closing->close(*world);
    for (const auto& node : {std::shared_ptr<Node>(closing), group, text}) {
        EXPECT_EQ(ax::copyAttributeValue(node->element(), "AXRole").error(), ax::invalidUIElement)
            << node->role();
        EXPECT_EQ(ax::getPid(node->element()).value(), 42);
    }
    EXPECT_TRUE(ax::copyAttributeValue(button->element(), "AXRole").ok()) << "other windows live";
}

TEST(SimWorld, ComponentsLiveAndDieWithTheirWorld) {
    struct Counter {
        int value = 0;
    };
    {
        ScopedWorld world;
        world->component<Counter>().value = 3;
        EXPECT_EQ(World::current().component<Counter>().value, 3);
    }
    ScopedWorld fresh;
    EXPECT_EQ(fresh->component<Counter>().value, 0);
}

TEST_F(SimWorldTest, EntryFromAnotherThreadAborts) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const ax::Element w = window->element();
    const auto onAnotherThread = [](auto enter) { std::thread(enter).join(); };
    const char* const message = "World: entered from a thread other than the one that made it";
    // Each way in: the installed world, a component of it, an accessibility round trip.
    EXPECT_DEATH(onAnotherThread([] { World::current(); }), message);
    EXPECT_DEATH(onAnotherThread([this] { Journal::of(*world); }), message);
    EXPECT_DEATH(onAnotherThread([w] { (void)ax::copyAttributeValue(w, "AXTitle"); }), message);
    // The thread that made it goes on using it.
    EXPECT_EQ(&World::current(), &*world);
    EXPECT_EQ(ax::copyAttributeValue(w, "AXTitle").value(), ax::Value("Notes"));
}

using SimWorldLifetime = zoral::testing::VirtualClockTest;

TEST_F(SimWorldLifetime, ADelayedEffectOfAReplacedWorldDoesNothing) {
    auto first = std::make_unique<ScopedWorld>();
    (*first)->addProcess(1, "org.example.editor", "Editor");
    (*first)->addProcess(2, "org.example.viewer", "Viewer");
    ASSERT_TRUE(platform::activate(*platform::runningApplicationWithProcessIdentifier(1), {}));
    first.reset();

    // A world with the same processes, the other one in front: the activation meant for the
    // first world must not reach it.
    ScopedWorld second;
    second->addProcess(1, "org.example.editor", "Editor");
    second->addProcess(2, "org.example.viewer", "Viewer");
    scheduler().advance(1);
    EXPECT_EQ(platform::frontmostApplication()->processIdentifier, 2);
    EXPECT_TRUE(Journal::of(*second).entries().empty());
}

}  // namespace
}  // namespace zoral::sim
